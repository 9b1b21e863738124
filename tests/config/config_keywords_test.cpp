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
        KeywordMatch match;
        const char* keyword;
    };
    const Case cases[] = {
        {"p", KeywordMatch::found, "position"},
        {"widem", KeywordMatch::found, "widemax"},
        {"wideT", KeywordMatch::found, "widetotal"},
        {"CALL", KeywordMatch::found, "call"},
        {"Base", KeywordMatch::found, "base"},
        {"bc", KeywordMatch::found, "bcomment"},
        {"be", KeywordMatch::found, "beacon"},
        {"ba", KeywordMatch::found, "base"},
        {"dr", KeywordMatch::found, "dropmangld"},
        {"du", KeywordMatch::found, "dupewin"},
        {"di", KeywordMatch::found, "digipath"},
        {"h", KeywordMatch::ambiguous, nullptr},  // havegps, haltonerr, host
        {"ha", KeywordMatch::ambiguous, nullptr},
        {"hav", KeywordMatch::found, "havegps"},
        {"ho", KeywordMatch::found, "host"},
        {"n", KeywordMatch::ambiguous, nullptr},  // nsr, nonaprs
        {"g", KeywordMatch::found, "gps"},
        {"s", KeywordMatch::found, "ssid"},
        {"w", KeywordMatch::ambiguous, nullptr},
        {"wide", KeywordMatch::ambiguous, nullptr},
        {"b", KeywordMatch::ambiguous, nullptr},
        {"d", KeywordMatch::ambiguous, nullptr},
        {"dropmangled", KeywordMatch::unknown, nullptr},  // longer than the keyword
        {"calls", KeywordMatch::unknown, nullptr},
        {"x", KeywordMatch::unknown, nullptr},
        {"position1", KeywordMatch::unknown, nullptr},
    };
    for (const auto& c : cases) {
        const ConfigKeyword* k = nullptr;
        EXPECT_EQ(match_config_keyword(c.word, &k), c.match) << c.word;
        if (c.keyword != nullptr && k != nullptr) {
            EXPECT_STREQ(k->word, c.keyword) << c.word;
        }
    }
}

// No keyword is a leading part of another, so every keyword written in full
// is found.
TEST(ConfigKeywords, EveryKeywordInFullIsFound) {
    for (const ConfigKeyword& kw : config_keywords) {
        const ConfigKeyword* k = nullptr;
        EXPECT_EQ(match_config_keyword(kw.word, &k), KeywordMatch::found) << kw.word;
        EXPECT_EQ(k, &kw);
    }
}

}  // namespace
