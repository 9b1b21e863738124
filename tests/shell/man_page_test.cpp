// The man page names every command, every keyword of the Configuration file,
// every rule command and action, and every option.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "config/config_keywords.hpp"
#include "station/rule_record.hpp"
#include "shell/command_table.hpp"
#include "support/run_program.hpp"
#include "support/words.hpp"

namespace {

TEST(ManPage, NamesEveryCommandKeywordRuleAndOption) {
    std::ifstream in(std::string(KORRI_SOURCE_DIR) + "/man/korrimatic.1");
    std::stringstream s;
    s << in.rdbuf();
    const std::string page = s.str();
    ASSERT_FALSE(page.empty());
    for (const CommandEntry& row : command_table) EXPECT_TRUE(names(page, row.word)) << row.word;
    for (const ConfigKeyword& k : config_keywords) EXPECT_TRUE(names(page, k.word)) << k.word;
    for (const RuleCommand& r : rule_command_table) EXPECT_TRUE(names(page, r.word)) << r.word;
    for (const RuleAction& a : rule_action_words) EXPECT_TRUE(names(page, a.word)) << a.word;
    for (int d = 1; d < COMPASS_DIRECTION_COUNT; ++d) {
        EXPECT_TRUE(names(page, compass_direction_names[d])) << compass_direction_names[d];
    }
    for (const char* option : {"script", "keep\\-going", "list\\-ports", "version", "help", "check", "journal",
                               "journal\\-dir", "no\\-journal", "decode", "diff"}) {
        EXPECT_NE(page.find(std::string("\\-\\-") + option), std::string::npos) << option;
    }
    for (const char* section :
         {"EXIT STATUS", "EXAMPLES", "ANGLE NOTATIONS", "PORTS", "THE RULES FILE", "THE JOURNAL"}) {
        EXPECT_NE(page.find(std::string(".SH ") + section), std::string::npos) << section;
    }
}

TEST(ManPage, RendersWithoutWarnings) {
    if (std::system("command -v man >/dev/null 2>&1") != 0) GTEST_SKIP() << "man is not installed (man-db)";
    const ProgramResult r = run_program("/usr/bin/env", {"man", "--warnings", "-l", std::string(KORRI_SOURCE_DIR) +
                                                         "/man/korrimatic.1"}, "");
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("EXIT STATUS"), std::string::npos);
}

}  // namespace
