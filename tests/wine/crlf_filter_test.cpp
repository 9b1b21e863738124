// The launcher's filter that gives back a Windows program's output with LF
// line ends, whatever pieces it arrives in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wine/crlf_filter.hpp"

namespace {

TEST(CrLfFilter, TurnsCrLfIntoLfAndKeepsALoneCr) {
    struct Case {
        std::vector<std::string> pieces;
        std::string out;
    } cases[] = {
        {{"Command> exit\r\n"}, "Command> exit\n"},
        {{"a\r", "\nb\r\n"}, "a\nb\n"},           // split between CR and LF
        {{"  0s\r  1s\r", "\r\n"}, "  0s\r  1s\r\n"},  // progress line: CRs that end no line
        {{"\r\r\n\n"}, "\r\n\n"},
        {{"no line end\r"}, "no line end\r"},   // the held CR comes out at the end
        {{"", "\r", "", "x"}, "\rx"},
    };
    for (const Case& c : cases) {
        CrLfFilter f;
        std::string out;
        for (const std::string& p : c.pieces) out += f.feed(p.data(), p.size());
        out += f.finish();
        EXPECT_EQ(out, c.out);
    }
}

TEST(CrLfFilter, PassesEverythingButATrailingCrAtOnce) {
    CrLfFilter f;
    EXPECT_EQ(f.feed("Command> ", 9), "Command> ");
    EXPECT_EQ(f.feed("\a\x1a\r", 3), "\a\x1a");
    EXPECT_EQ(f.feed("z", 1), "\rz");
}

}  // namespace
