// The nearest word for a typo: which word is offered, and when none is.
#include "text/suggest.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(NearestWord, OffersTheWordATypoIsNearestTo) {
    const struct {
        const char* typed;
        std::vector<const char*> words;
        const char* offered;
    } cases[] = {
        {"conect", {"configure", "connect"}, "connect"},
        {"CIRLCE", {"circle", "compass"}, "circle"},           // two letters swapped, any case
        {"dwonl", {"disconnect", "download"}, "download"},     // an abbreviation, two letters swapped
        {"abcdex", {"abcdyz"}, "abcdyz"},                      // longer than four letters: two edits
        {"abxy", {"abcd"}, ""},                                // four letters or fewer: one edit
        {"ac", {"ab"}, "ab"},                                  // a two-letter word is offered
        {"y", {"x", "d"}, ""},                                 // a one-letter word never is
        {"connect", {"connect", "conect"}, ""},                // the word itself: nothing to offer
        {"zzzzzz", {"circle"}, ""},
        {"", {"x", "circle"}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nearest_word(c.typed, c.words), c.offered) << c.typed;
        EXPECT_EQ(did_you_mean(c.typed, c.words), *c.offered ? "did you mean \"" + std::string(c.offered) + "\"?" : "")
            << c.typed;
    }
}

}  // namespace
