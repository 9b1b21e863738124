// At a terminal the rules command is followed by the checks' warnings; a
// rule is measured from the base station only once a Configuration file is
// in force.
#include <gtest/gtest.h>

#include <string>

#include "shell/prompt_loop.hpp"
#include "support/shell_output.hpp"
#include "support/temp_file.hpp"

namespace {

TEST(TerminalWarnings, RulesAreMeasuredFromTheStationInForce) {
    TempFile station("call N0CALL\nposition 39.396D -104.75D\n", "station.cfg");
    TempFile far("pass circle 100, 10:00:00, 20:00:00\n", "far.rul");
    const struct {
        const char* what;
        bool configured;
        bool measured;
    } cases[] = {{"a Configuration file in force", true, true}, {"none", false, false}};
    for (const auto& c : cases) {
        ShellState shell;
        shell.console.terminal_forced = true;
        ShellOutput capture(shell);
        if (c.configured) handle_line(shell, ("conf " + station.path()).c_str());
        (void)capture.text();
        handle_line(shell, ("rules " + far.path()).c_str());
        const std::string out = capture.text();
        EXPECT_EQ(out.find("circle lies 7423 mi from the base station") != std::string::npos, c.measured)
            << c.what << "\n" << out;
    }
}

}  // namespace
