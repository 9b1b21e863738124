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
        "No Rules are configured!  Implicit Rule Action is Pass\n" + P +
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

namespace {

// The example file in examples/ is accepted as it stands and shows as the
// README describes it.
TEST(RulesTranscript, TheStationExample) {
    ProgramOptions in_source;
    in_source.cwd = KORRI_SOURCE_DIR;
    ProgramResult r = run_korrimatic("rules examples/station.rul\ndrules\nx\n", in_source);
    const std::string display =
        "Rule count 16 plus Implicit\n"
        "\n"
        "Action Command   Mods Arguments\n"
        "Pass   Implicit \n"
        "Drop   source    00   N0CALL   \n"
        "Drop   source    40   NOCALL-0   \n"
        "Drop   source    10   TEST  *   \n"
        "Drop   destin    40   BEACON-15   \n"
        "Pass   destin    00   APRS     \n"
        "Pass   destin    10   AP    *   \n"
        "Pass   source    40         -9   \n"
        "Pass   source    30   *   \n"
        "Pass   circle    00   50.000 mi R, 38.840557  D Lat, -105.04389  D Lon \n"
        "Pass   circle    00   12.500 mi R, 39.739166  D Lat, -104.98473  D Lon \n"
        "Drop   compass   00   NE Dir, 40.585278  D Lat, -105.08444  D Lon \n"
        "Pass   compass   00   S  Dir, 38.256001  D Lat, -104.60550  D Lon \n"
        "Pass   rectangle 00   41.000000  D Lat1, -109.05000  D Lon1, 37.000000  D Lat2, -102.05000  D Lon2\n"
        "Drop   rectangle 00   39.500000  D Lat1, -103.50000  D Lon1, 38.500000  D Lat2, -102.00000  D Lon2\n"
        "Drop   sector    00   10.000 D Ang1, 80.500 D Ang2, 25.000 In R, 100.000 Out R\n"
        "Pass   sector    00   180.000 D Ang1, 270.000 D Ang2, 5.000 In R, 60.000 Out R\n";
    EXPECT_EQ(visible(r.out), visible(startup_text() + "Rules processed 16, implicit 1\n" + P + display + P));
    EXPECT_EQ(r.exit_status, 0);
}

}  // namespace
