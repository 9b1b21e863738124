#include <gtest/gtest.h>

#include <string>

#include "shell/command_table.hpp"

namespace {

struct MatchCase {
    const char* word;
    Match result;
    const char* row;  // the matched row's word
};

TEST(CommandTable, MatchesLeadingPartsWithoutRegardToCase) {
    const MatchCase cases[] = {
        {"h", Match::found, "help"},         {"HELP", Match::found, "help"},
        {"?", Match::found, "?"},            {".", Match::found, "."},
        {"a", Match::found, "angles"},       {"b", Match::found, "baud"},
        {"r", Match::found, "rules"},        {"f", Match::found, "firmware"},
        {"e", Match::found, "exit"},         {"q", Match::found, "quit"},
        {"x", Match::found, "x"},            {"dc", Match::found, "dconfigure"},
        {"dr", Match::found, "drules"},      {"di", Match::found, "disconnect"},
        {"do", Match::found, "download"},    {"Down", Match::found, "download"},
        {"DOWNLOAD", Match::found, "download"}, {"conf", Match::found, "configure"},
        {"conn", Match::found, "connect"},   {"dconfigure", Match::found, "dconfigure"},
        {"d", Match::ambiguous, nullptr},    {"c", Match::ambiguous, nullptr},
        {"co", Match::ambiguous, nullptr},   {"con", Match::ambiguous, nullptr},
        {"exitnow", Match::unknown, nullptr}, {"helpme", Match::unknown, nullptr},
        {"z", Match::unknown, nullptr},      {"", Match::unknown, nullptr},
    };
    for (const MatchCase& c : cases) {
        const PrefixMatch m = match_command(c.word);
        EXPECT_EQ(m.result, c.result) << c.word;
        if (c.row != nullptr) {
            ASSERT_EQ(m.result, Match::found) << c.word;
            EXPECT_STREQ(command_table[m.index].word, c.row) << c.word;
        }
    }
}

TEST(CommandTable, WordsOfFortyCharactersOrMoreMatchNothing) {
    EXPECT_EQ(match_command(std::string(39, 'h').c_str()).result, Match::unknown);  // longer than help
    EXPECT_EQ(match_command(("help" + std::string(36, ' ')).c_str()).result, Match::unknown);
    EXPECT_EQ(match_command(("h" + std::string(39, 'x')).c_str()).result, Match::unknown);
}

TEST(CommandTable, HasTheSixteenRowsInOrder) {
    const char* words[] = {"help", "?", ".", "angles", "baud", "configure", "dconfigure", "rules",
                           "drules", "connect", "disconnect", "download", "firmware", "exit", "quit", "x"};
    const int ids[] = {22, 22, 33, 26, 5, 28, 23, 29, 24, 30, 31, 0, 1, 8, 8, 8};
    for (std::size_t i = 0; i < COMMAND_COUNT; ++i) {
        EXPECT_STREQ(command_table[i].word, words[i]);
        EXPECT_EQ(command_table[i].id, ids[i]) << words[i];
        EXPECT_EQ(command_table[i].listed, (i == 1 || i == 14 || i == 15) ? 0 : 1) << words[i];
        EXPECT_EQ(command_table[i].run == nullptr, ids[i] == CMD_REPEAT) << words[i];  // "." has no handler
    }
}

}  // namespace
