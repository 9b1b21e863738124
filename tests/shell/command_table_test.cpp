#include <gtest/gtest.h>

#include <string>

#include "shell/command_table.hpp"

namespace {

struct MatchCase {
    const char* word;
    MatchResult result;
    const char* row;  // the matched row's word
};

TEST(CommandTable, MatchesLeadingPartsWithoutRegardToCase) {
    const MatchCase cases[] = {
        {"h", MatchResult::found, "help"},         {"HELP", MatchResult::found, "help"},
        {"?", MatchResult::found, "?"},            {".", MatchResult::found, "."},
        {"a", MatchResult::found, "angles"},       {"b", MatchResult::found, "baud"},
        {"r", MatchResult::found, "rules"},        {"f", MatchResult::found, "firmware"},
        {"e", MatchResult::found, "exit"},         {"q", MatchResult::found, "quit"},
        {"x", MatchResult::found, "x"},            {"dc", MatchResult::found, "dconfigure"},
        {"dr", MatchResult::found, "drules"},      {"di", MatchResult::found, "disconnect"},
        {"do", MatchResult::found, "download"},    {"Down", MatchResult::found, "download"},
        {"DOWNLOAD", MatchResult::found, "download"}, {"conf", MatchResult::found, "configure"},
        {"conn", MatchResult::found, "connect"},   {"dconfigure", MatchResult::found, "dconfigure"},
        {"d", MatchResult::ambiguous, nullptr},    {"c", MatchResult::ambiguous, nullptr},
        {"co", MatchResult::ambiguous, nullptr},   {"con", MatchResult::ambiguous, nullptr},
        {"exitnow", MatchResult::unknown, nullptr}, {"helpme", MatchResult::unknown, nullptr},
        {"z", MatchResult::unknown, nullptr},      {"", MatchResult::unknown, nullptr},
    };
    for (const MatchCase& c : cases) {
        const CommandEntry* entry = nullptr;
        EXPECT_EQ(match_command(c.word, &entry), c.result) << c.word;
        if (c.row != nullptr) {
            ASSERT_NE(entry, nullptr) << c.word;
            EXPECT_STREQ(entry->word, c.row) << c.word;
        }
    }
}

TEST(CommandTable, WordsOfFortyCharactersOrMoreMatchNothing) {
    const CommandEntry* entry = nullptr;
    EXPECT_EQ(match_command(std::string(39, 'h').c_str(), &entry), MatchResult::unknown);  // longer than help
    EXPECT_EQ(match_command(("help" + std::string(36, ' ')).c_str(), &entry), MatchResult::unknown);
    EXPECT_EQ(match_command(("h" + std::string(39, 'x')).c_str(), &entry), MatchResult::unknown);
}

TEST(CommandTable, HasTheSixteenRowsInOrder) {
    const char* words[] = {"help", "?", ".", "angles", "baud", "configure", "dconfigure", "rules",
                           "drules", "connect", "disconnect", "download", "firmware", "exit", "quit", "x"};
    const int ids[] = {22, 22, 33, 26, 5, 28, 23, 29, 24, 30, 31, 0, 1, 8, 8, 8};
    for (std::size_t i = 0; i < COMMAND_COUNT; ++i) {
        EXPECT_STREQ(command_table[i].word, words[i]);
        EXPECT_EQ(command_table[i].id, ids[i]) << words[i];
        EXPECT_EQ(command_table[i].listed, (i == 1 || i == 14 || i == 15) ? 0 : 1) << words[i];
    }
}

}  // namespace
