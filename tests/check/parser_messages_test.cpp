// The parsers' printed messages written again as FILE:LINE: error: lines;
// what only looks like a line number is left in the message.
#include "check/parser_messages.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

TEST(ParserMessages, EachMessageWithItsLine) {
    struct Case {
        bool rules;
        const char* printed;
        const char* lines;
    } cases[] = {
        {false, "\aError: line 3: bad value\r\n\tand more\n", "F:3: error: bad value and more\n"},
        {false, "noise\nError: no call\n", "F: error: no call\n"},
        {false, "Error: line 12 is too long\n", "F: error: line 12 is too long\n"},
        {false, "Error: line : empty\n", "F: error: line : empty\n"},
        {false, "Error: line 123456789: big\n", "F:123456789: error: big\n"},
        {false, "Error: line 1234567890: too big\n", "F: error: line 1234567890: too big\n"},
        {false, "Error: angle\nError: line 4: position\n", "F:4: error: angle\nF:4: error: position\n"},
        {true, "Error: R[7]: bad word:\nrule drop\n", "R:7: error: bad word: rule drop\n"},
        {true, "Error: R[7]: last line:\n", "R:7: error: last line:\n"},
        {true, "Error: R[x]: odd\n", "R: error: R[x]: odd\n"},
        {true, "Error: R[12: odd\n", "R: error: R[12: odd\n"},
        {true, "Error: too many rules\n\tat most 50\n", "R: error: too many rules at most 50\n"},
    };
    for (const Case& c : cases) {
        const std::string file = c.rules ? "R" : "F";
        EXPECT_EQ(joined(c.rules ? rules_error_lines(c.printed, file) : config_error_lines(c.printed, file)), c.lines)
            << c.printed;
    }
}

}  // namespace
