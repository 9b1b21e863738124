// The help text of the angles command.
#include <gtest/gtest.h>

#include <string>

#include "angles/angles.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

std::string help_text() {
    StringSink out;
    show_angles_help(out);
    return out.take();
}

TEST(AnglesHelp, HoldsTheQuotedParts) {
    const std::string help = help_text();
    EXPECT_EQ(help.rfind("Colon, Dotted and DMC formats for Angles, Latitudes and Longitudes\n", 0), 0u);
    const char* parts[] = {
        "\nColon format\n",
        "\nDotted format\n",
        "\nDMC format\n",
        "No imbedded white space is allowed!",
        "[s]DD:MM:SS[.F*]\tfor Latitudes\n",
        "[s]DDD:MM:SS[.F*]\tfor Longitudes\n",
        "\t45:22:33\t-103:00:00\t-38:33:29.222\t45:18:\n",
        "[s]DD.MM.[F*]\tfor Latitudes\n",
        "[s]DDD.MM.[F*]\tfor Longitudes\n",
        "\t45.22.64\t-103.00.\t-38.33.379\n",
        "DMC stands for Degrees, Minutes and seConds.",
        "\t\tD, d\tDegrees\n",
        "\t\tM, m\tMinutes\n",
        "\t\tC, c\tseConds\n",
        "\t\tN, n\tNorth\n",
        "\t\tS, s\tSouth\n",
        "\t\tE, e\tEast\n",
        "\t\tW, w\tWest\n",
        "\tN 39d 23.7m 33.9c\t# ",
        "\t39d23.7m33.9C\t\t# ",
        "\t39.404415D\t\t# ",
        "\tn39.395d 33.9c\t\t# ",
        "\t-42.5d\t\t\t# ",
    };
    for (const char* part : parts) EXPECT_NE(help.find(part), std::string::npos) << visible(part);
    // Each section has its grammar symbols and examples, in this order.
    const std::size_t colon = help.find("\nColon format\n");
    const std::size_t dotted = help.find("\nDotted format\n");
    const std::size_t dmc = help.find("\nDMC format\n");
    EXPECT_LT(colon, dotted);
    EXPECT_LT(dotted, dmc);
    for (std::size_t start : {colon, dotted, dmc}) {
        const std::size_t where = help.find("\nWhere:\n", start);
        const std::size_t examples = help.find("\nExamples:\n", start);
        EXPECT_LT(where, examples);
        EXPECT_EQ(help.find("\nWhere:\n\t", start), where);  // tab-indented descriptions
    }
    // One block followed by a line break.
    EXPECT_EQ(help.substr(help.size() - 2), "\n\n");
}

// Every example of the help text is an angle the parser accepts.
TEST(AnglesHelp, ExamplesAreAccepted) {
    for (const char* example : {"45:22:33", "-103:00:00", "-38:33:29.222", "45:18:", "45.22.64", "-103.00.",
                                "-38.33.379", "N 39d 23.7m 33.9c", "39d23.7m33.9C", "39.404415D",
                                "n39.395d 33.9c", "-42.5d", "39.404415D"}) {
        StringSink out;
        EXPECT_NE(dmctodeg(example, out), ANGLE_ERROR) << example;
        EXPECT_EQ(out.text(), "") << example;
    }
}

TEST(AnglesHelp, TheAnglesCommandPrintsIt) {
    const std::string help = help_text();
    {
        StringSink out;
        ShellState shell;
        shell.out = &out;
        char args[] = "ignored";
        cmd_angles(shell, args);
        EXPECT_EQ(out.text(), help);
    }
    const ProgramResult r = run_korrimatic("a\nANGLES extra\nexit\n");
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, startup_text() + help + "Command> " + help + "Command> ");
}

}  // namespace
