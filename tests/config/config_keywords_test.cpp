// Matching a Configuration file's first word against the keyword table.
#include <gtest/gtest.h>

#include <string>

#include "config/config_keywords.hpp"

namespace {

TEST(ConfigKeywords, TableHoldsTheKeywordsInMatchingOrder) {
    const char* words[] = {"call", "ssid", "position", "base", "havegps", "log", "dropmangld",
                           "haltonerr", "fixvalid", "host", "tnc", "gps", "nsr", "relaydrop",
                           "widemax", "widetotal", "dupewin", "nonaprs", "digipath", "beacon", "bcomment"};
    ASSERT_EQ(std::size(words), CONFIG_KEYWORD_COUNT);
    for (std::size_t i = 0; i < CONFIG_KEYWORD_COUNT; ++i) EXPECT_STREQ(config_keywords[i].word, words[i]);
    EXPECT_EQ(config_keywords[2].kind, ConfigKind::position);
    EXPECT_EQ(config_keywords[3].kind, ConfigKind::position);  // base shares the kind of position
}

TEST(ConfigKeywords, MatchesLeadingPartsWithoutRegardToCase) {
    struct Case {
        const char* word;
        Match match;
        const char* keyword;
    };
    const Case cases[] = {
        {"p", Match::found, "position"},
        {"widem", Match::found, "widemax"},
        {"wideT", Match::found, "widetotal"},
        {"CALL", Match::found, "call"},
        {"Base", Match::found, "base"},
        {"bc", Match::found, "bcomment"},
        {"be", Match::found, "beacon"},
        {"ba", Match::found, "base"},
        {"dr", Match::found, "dropmangld"},
        {"du", Match::found, "dupewin"},
        {"di", Match::found, "digipath"},
        {"h", Match::ambiguous, nullptr},  // havegps, haltonerr, host
        {"ha", Match::ambiguous, nullptr},
        {"hav", Match::found, "havegps"},
        {"ho", Match::found, "host"},
        {"n", Match::ambiguous, nullptr},  // nsr, nonaprs
        {"g", Match::found, "gps"},
        {"s", Match::found, "ssid"},
        {"w", Match::ambiguous, nullptr},
        {"wide", Match::ambiguous, nullptr},
        {"b", Match::ambiguous, nullptr},
        {"d", Match::ambiguous, nullptr},
        {"dropmangled", Match::unknown, nullptr},  // longer than the keyword
        {"calls", Match::unknown, nullptr},
        {"x", Match::unknown, nullptr},
        {"position1", Match::unknown, nullptr},
    };
    for (const auto& c : cases) {
        const PrefixMatch m = match_config_keyword(c.word);
        EXPECT_EQ(m.result, c.match) << c.word;
        if (c.keyword != nullptr && m.result == Match::found) {
            EXPECT_STREQ(config_keywords[m.index].word, c.keyword) << c.word;
        }
    }
}

// No keyword is a leading part of another, so every keyword written in full
// is found.
TEST(ConfigKeywords, EveryKeywordInFullIsFound) {
    for (const ConfigKeyword& kw : config_keywords) {
        const PrefixMatch m = match_config_keyword(kw.word);
        EXPECT_EQ(m.result, Match::found) << kw.word;
        EXPECT_EQ(&config_keywords[m.index], &kw);
    }
}

}  // namespace
