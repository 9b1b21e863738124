// The countdown of the power-on waits at a terminal: each line is drawn over
// the one before it after a carriage return, so it must say its number of
// seconds in the right number and leave nothing of the longer line before.
#include <gtest/gtest.h>

#include <string>

#include "serial/countdown_read.hpp"

namespace {

TEST(CountdownLine, SingularAtOneSecondAndEachLineCoversTheOneBefore) {
    struct Case {
        long seconds;
        const char* line;
    } cases[] = {
        {20, "\rYou have 20 seconds to do this..."},
        {10, "\rYou have 10 seconds to do this..."},
        {9, "\rYou have  9 seconds to do this..."},
        {2, "\rYou have  2 seconds to do this..."},
        {1, "\rYou have  1 second to do this... "},
    };
    for (const Case& c : cases) EXPECT_EQ(countdown_line(c.seconds), c.line) << c.seconds;
    // The first line of a wait is the plain "You have 20 seconds to do this...".
    std::size_t before = std::string("You have 20 seconds to do this...").size();
    for (long s = 20; s >= 1; --s) {
        const std::string line = countdown_line(s);
        EXPECT_GE(line.size() - 1, before) << s;
        before = line.size() - 1;
    }
}

}  // namespace
