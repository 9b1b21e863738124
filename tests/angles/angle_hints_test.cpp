// The pieces of the hints that write a line again: an angle read silently
// against a range, and the parting of a line's words into its arguments.
#include <gtest/gtest.h>

#include <string>

#include "angles/angle_hints.hpp"
#include "text/hints.hpp"
#include "text/sink.hpp"

namespace {

TEST(AngleHints, AnAngleReadAgainstItsRange) {
    const struct {
        const char* text;
        double low, high;
        const char* written;
    } cases[] = {
        {"39:30:00", -90, 90, "39:30:00"},
        {" 39.5 ", -90, 90, "39.5D"},  // a plain decimal number gets its D
        {"-104.75", -90, 90, ""},
        {"-104.75", -180, 180, "-104.75D"},
        {"N 39d 30m", -90, 90, "N 39d 30m"},
        {"39:30", -90, 90, ""},
        {"", -90, 90, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(fitting_angle(c.text, c.low, c.high), c.written) << c.text;
}

TEST(AngleHints, ReadingsTriedKeepTheHintOffered) {
    Hints& hints = standard_output().hints();
    hints.take();
    hints.offer("the first");
    EXPECT_EQ(fitting_angle("39.5", -90, 90), "39.5D");  // dmctodeg would offer its own hint
    EXPECT_EQ(fitting_angle("x", -90, 90), "");
    EXPECT_EQ(hints.take(), "the first");
}

TEST(AngleHints, WordsPartedIntoArguments) {
    const auto two_angles = [](const std::string& text) {
        const Regrouped r = regrouped(
            argument_words(text), 2, "", [](std::size_t) { return true; },
            [](std::size_t i, const std::string& t) { return fitting_angle(t, i == 0 ? -90 : -180, i == 0 ? 90 : 180); });
        return r.arguments.empty() ? std::string("-") : r.arguments[0] + "|" + r.arguments[1];
    };
    EXPECT_EQ(two_angles("N 39d 23.76m W 104d 51.04m"), "N39d23.76m|W104d51.04m");
    EXPECT_EQ(two_angles("39d 23.76m N 104d 51.04m W"), "39d23.76mN|104d51.04mW");
    EXPECT_EQ(two_angles("39.5 -104.75"), "39.5D|-104.75D");
    EXPECT_EQ(two_angles("95d 200d"), "-");        // neither fits its range
    EXPECT_EQ(two_angles("39d, 30m, -104d"), "-");  // a comma always begins an argument
}

}  // namespace
