// The operator's manual of the Windows zip, made from README.md by
// packaging/windows-manual.cmake: plain text with CR LF line ends that names
// every command, Configuration keyword, rule command and action word and
// compass direction of the program's own tables, so that a word added to a
// table without its entry in the manual fails here.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

#include "config/config_keywords.hpp"
#include "station/rule_record.hpp"
#include "shell/command_table.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"
#include "support/words.hpp"

namespace {

TEST(WindowsManual, NamesEveryWordOfTheTablesWithCrLfLineEnds) {
    ScratchDir scratch;
    const std::string out = scratch.path("MANUAL.txt");
    const ProgramResult made = run_program(
        "/usr/bin/env", {"cmake", "-DREADME=" + std::string(KORRI_SOURCE_DIR) + "/README.md", "-DOUT=" + out,
                         "-DVERSION=9.9", "-P", std::string(KORRI_SOURCE_DIR) + "/packaging/windows-manual.cmake"},
        "");
    ASSERT_EQ(made.exit_status, 0) << made.err;
    std::ifstream in(out, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string manual = s.str();
    ASSERT_EQ(manual.rfind("Korrimatic host utility 9.9: the operator's manual\r\n", 0), 0u) << manual.substr(0, 80);
    for (std::size_t at = manual.find('\n'); at != std::string::npos; at = manual.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && manual[at - 1] == '\r') << "a line without CR LF before byte " << at;
    }
    for (const CommandEntry& row : command_table) EXPECT_TRUE(names(manual, row.word)) << row.word;
    for (const ConfigKeyword& k : config_keywords) EXPECT_TRUE(names(manual, k.word)) << k.word;
    for (const RuleCommand& r : rule_command_table) EXPECT_TRUE(names(manual, r.word)) << r.word;
    for (const RuleAction& a : rule_action_words) EXPECT_TRUE(names(manual, a.word)) << a.word;
    for (int d = 1; d < COMPASS_DIRECTION_COUNT; ++d) {
        EXPECT_TRUE(names(manual, compass_direction_names[d])) << compass_direction_names[d];
    }
    for (const char* part : {"Colon", "Dotted", "DMC", "Ctrl-C", "COM1 to COM20", "Device Manager", "--script",
                             "--keep-going", "--list-ports", "Firmware update\r\n===", "The Configuration file\r\n"}) {
        EXPECT_NE(manual.find(part), std::string::npos) << part;
    }
    // What concerns Linux or the build only stays out.
    for (const char* part : {"Ports on Linux", "Testing the Windows build under Wine", "```", "](#"}) {
        EXPECT_EQ(manual.find(part), std::string::npos) << part;
    }
}

}  // namespace
