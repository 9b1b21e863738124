// The rules and drules commands through the built program, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "rules/rules_files.hpp"
#include "support/run_program.hpp"

namespace {

const std::string P = "Command> ";

const std::string EXAMPLE =
    "drop implicit\n"
    "pass destin APRS\n"
    "drop source N0CALL-5\n"
    "pass source N0*\n"
    "drop destin *\n"
    "pass circle 25, 39:30:00, -104:45:00\n"
    "drop compass NW, 39:30:00, -104:45:00\n"
    "pass rectangle 40:00:00, -105:00:00, 39:00:00, -104:00:00\n"
    "drop sector 10:00:00, 80:00:00, 5, 20\n";

// The display of EXAMPLE, with the trailing blanks of its rows.
const std::string EXAMPLE_DISPLAY =
    "Rule count 8 plus Implicit\n"
    "\n"
    "Action Command   Mods Arguments\n"
    "Drop   Implicit \n"
    "Pass   destin    00   APRS     \n"
    "Drop   source    40   N0CALL-5   \n"
    "Pass   source    10   N0    *   \n"
    "Drop   destin    30   *   \n"
    "Pass   circle    00   25.000 mi R, 39.500000  D Lat, -104.75000  D Lon \n"
    "Drop   compass   00   NW Dir, 39.500000  D Lat, -104.75000  D Lon \n"
    "Pass   rectangle 00   40.000000  D Lat1, -105.00000  D Lon1, 39.000000  D Lat2, -104.00000  D Lon2\n"
    "Drop   sector    00   10.000 D Ang1, 80.000 D Ang2, 5.000 In R, 20.000 Out R\n";

TEST(RulesTranscript, TheNineLineExample) {
    TempRulesFile file(EXAMPLE, "station rules.rul");
    ProgramResult r = run_korrimatic("rules " + file.path() + "\ndrules\nexit\n");
    EXPECT_EQ(visible(r.out),
              visible(startup_text() + "Rules processed 8, implicit 1\n" + P + EXAMPLE_DISPLAY + P));
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
}

TEST(RulesTranscript, CommandMessagesAndAFailedFile) {
    TempRulesFile good(EXAMPLE);
    TempRulesFile bad("drop implicit\npass destin APRS\n\npass circle 0, 39:30:00, -104:45:00\n");
    const std::string input = "drules\n"
                              "rules\n"
                              "rules ,\t\n"
                              "rules " + good.path() + "\n"
                              "rules " + bad.path() + "\n"
                              "dr\n"
                              "rules " + good.folder() + "/nothing.rul\n"
                              "x\n";
    ProgramResult r = run_korrimatic(input);
    const std::string failed = "\a\aError: Rule processing failed\n";
    const std::string expected =
        startup_text() +
        "No Rules are configured!  Implicit Rule Action is Pass\n" + P +
        "\a\aError: missing argument: file_name\n" + P +
        "\a\aError: missing argument: file_name\n" + P +
        "Rules processed 8, implicit 1\n" + P +
        "\a\aError: " + bad.path() + "[4]: invalid Circle Radius, must be > 0: 0.000000:\n"
        "pass circle 0, 39:30:00, -104:45:00\n" + failed + P +
        "No Rules are configured!  Implicit Rule Action is Drop\n" + P +
        "\a\aError: cannot open " + good.folder() + "/nothing.rul\n" + failed + P;
    EXPECT_EQ(visible(r.out), visible(expected));
    EXPECT_EQ(r.exit_status, 0);
}

TEST(RulesTranscript, AFileNameMayHoldBlanksAndEndsAtAComma) {
    TempRulesFile file("pass src *\n", "my rules.rul");
    ProgramResult r = run_korrimatic("rules " + file.path() + ", ignored\ndrules\nx\n");
    EXPECT_EQ(visible(r.out), visible(startup_text() + "Rules processed 1, implicit 0\n" + P +
                                      "Rule count 1 plus Implicit\n\nAction Command   Mods Arguments\n"
                                      "Pass   Implicit \nPass   source    30   *   \n" + P));
}

}  // namespace
