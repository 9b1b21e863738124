// The hints an operator at a terminal gets after a command's own messages:
// each typed line goes through the real shell, and the hint it leaves is the
// one expected (or none). From a pipe nothing is printed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/connect_hints.hpp"
#include "serial/silent_port_hint.hpp"
#include "shell/prompt_loop.hpp"
#include "support/shell_output.hpp"
#include "support/temp_file.hpp"
#include "text/hints.hpp"
#include "text/sink.hpp"
#include "text/suggest.hpp"

namespace {

// The hint a command line leaves on the sink of an operator at a terminal,
// its output captured away.
std::string hint_after(const std::string& line) {
    ShellState shell;
    ShellOutput capture(shell);
    shell.out->set_reader(Sink::Reader::operator_at_terminal);
    handle_line(shell, line.c_str());
    return shell.out->hints().offered();
}

TEST(Hints, WhatACommandLineLeaves) {
    TempFile station("call N0CALL\n", "station.cfg");
    struct Case {
        const char* what;
        std::string file;  // a Rules or Configuration file's text, for {} in the line
        std::string line;
        std::string hint;
    } cases[] = {
        {"decimal latitude", "pass circle 25, 39.5, -104.75\n", "rules {}", "write 39.5D for decimal degrees"},
        {"decimal longitude", "pass circle 25, 39.5D, -104.75\n", "rules {}", "write -104.75D for decimal degrees"},
        {"whole degrees", "position 39, -104.75D\n", "configure {}", "write 39D for decimal degrees"},
        {"one digit", "position 5, -104.75D\n", "configure {}", "write 5D for decimal degrees"},
        {"DMC before a comment", "pass circle 25, N39d30m, W104d45m ; note\n", "rules {}",
         "remove the blank after \"W104d45m\": a DMC angle ends at its last letter, right before the comma, tab "
         "or comment"},
        {"DMC before a comma", "pass rectangle N39d , W104d, N38d, W103d\n", "rules {}",
         "remove the blank after \"N39d\": a DMC angle ends at its last letter, right before the comma, tab or "
         "comment"},
        {"an angle that cannot be read", "pass circle 25, 39:30, W104d\n", "rules {}",
         "\"39:30\" could not be read as an angle at all (340282346638528859811704183484516925440.000000 only stands "
         "for that): write it in Colon (39:30:00), Dotted (39.30.) or DMC (39d30m) notation; angles shows them"},
        {"an angle out of range, no known fix", "pass circle 25, 95:00:00, 100:00:00\n", "rules {}", ""},
        {"commas left out", "pass circle 25 39:30:00 -104:45:00\n", "rules {}",
         "the arguments of a rule are parted by commas (an angle may hold blanks, so only a comma or tab ends it): "
         "pass circle 25, 39:30:00, -104:45:00"},
        {"one comma left out, direction letters after", "drop rectangle 40dN, 105dW 39dN, 104dW # box\n", "rules {}",
         "the arguments of a rule are parted by commas (an angle may hold blanks, so only a comma or tab ends it): "
         "drop rectangle 40dN, 105dW, 39dN, 104dW # box"},
        {"a sector's ranges taken into its angle", "pass sector 10:00:00, 80:00:00 5 20\n", "rules {}",
         "the arguments of a rule are parted by commas (an angle may hold blanks, so only a comma or tab ends it): "
         "pass sector 10:00:00, 80:00:00, 5, 20"},
        {"a rule's pair swapped", "pass compass NE, -104.75D, 39.5D\n", "rules {}",
         "latitude and longitude are the other way round (a latitude lies within -90..90, and comes first): pass "
         "compass NE, 39.5D, -104.75D"},
        {"a pair of plain decimals swapped", "pass compass NE, -104.75, 39.5\n", "rules {}",
         "latitude and longitude are the other way round (a latitude lies within -90..90, and comes first): pass "
         "compass NE, 39.5D, -104.75D"},
        {"the position swapped", "position -104:51:02.4 39:23:45.6 # home\n", "configure {}",
         "latitude and longitude are the other way round (the latitude lies within -90..90, and comes first): "
         "position 39:23:45.6 -104:51:02.4 # home"},
        {"the position swapped near the pole", "position -104:51:02.4 89:30:00\n", "configure {}",
         "latitude and longitude are the other way round (the latitude lies within -90..90, and comes first): "
         "position 89:30:00 -104:51:02.4"},
        {"letters set apart by blanks", "base 39 d 23.76 m N 104d 51.04 m W\n", "configure {}",
         "an angle in a Configuration file is written without blanks: base 39d23.76mN 104d51.04mW"},
        {"a longitude with blanks", "position 39.396D W 104d 51.04m\n", "configure {}",
         "an angle in a Configuration file is written without blanks: position 39.396D W104d51.04m"},
        {"a call sign with its SSID, too long", "call KD0ABC-7\n", "configure {}",
         "the SSID goes on a line of its own: write call KD0ABC and ssid 7"},
        {"a call sign too long", "call KD0ABCD\n", "configure {}", ""},
        {"ambiguous keyword", "w 3\n", "configure {}", "did you mean one of: widemax, widetotal?"},
        {"ambiguous rule word", "drop s N0CALL\n", "rules {}", "did you mean one of: sector, source, src?"},
        {"ambiguous command", "", "d", "did you mean one of: dconfigure, disconnect, download, drules?"},
        {"ambiguous command in capitals", "", "CO 3", "did you mean one of: configure, connect?"},
        {"rule command", "pass cirlce 25, N39d, W104d\n", "rules {}", "did you mean \"circle\"?"},
        {"rule action", "dorp src N0CALL\n", "rules {}", "did you mean \"drop\"?"},
        {"nothing near", "pass zzzzzz 25\n", "rules {}", ""},
        {"keyword", "dupewni 30\n", "configure {}", "did you mean \"dupewin\"?"},
        {"command", "", "conect 1", "did you mean \"connect\"?"},
        {"abbreviated command", "", "dwonl", "did you mean \"download\"?"},
        {"trailing blank", "", "configure " + station.path() + " ",
         "the file name \"" + station.path() + " \" ends with a blank; type it without: \"" + station.path() +
             "\""},
        {"leading blank, no such file", "", "rules  /nonexistent/x.rul",
         "the file name \" /nonexistent/x.rul\" begins with a blank; type it without"},
    };
    for (const Case& c : cases) {
        TempFile file(c.file);
        std::string line = c.line;
        if (const auto at = line.find("{}"); at != std::string::npos) line.replace(at, 2, file.path());
        EXPECT_EQ(hint_after(line), c.hint) << c.what;
    }
}

TEST(Hints, PowerOnReplies) {
    const std::vector<std::string> ports = {"/dev/ttyS0", "/dev/ttyUSB0"};
    const uint8_t enq[] = {0x05, 0x05};
    const uint8_t text[] = {0x05, 'K'};
    EXPECT_EQ(silent_port_hint("COM3", 9600, ports),
              "nothing came from COM3: check that the Korrimatic has power, that its cable is plugged in at both "
              "ends, that COM3 is its port and that it runs at 9600 baud (ports here: /dev/ttyS0, /dev/ttyUSB0; "
              "korrimatic --list-ports lists them)");
    // Six ports are named; more are shown as "...".
    const struct {
        std::vector<std::string> ports;
        const char* listed;
    } lists[] = {
        {{}, " none found"},
        {{"a", "b", "c", "d", "e", "f"}, " a, b, c, d, e, f"},
        {{"a", "b", "c", "d", "e", "f", "g"}, " a, b, c, d, e, f, ..."},
    };
    for (const auto& l : lists) {
        const std::string hint = silent_port_hint("COM3", 9600, l.ports);
        EXPECT_EQ(hint.substr(hint.find("(ports here:") + 12), l.listed + std::string("; korrimatic --list-ports lists them)"));
    }
    EXPECT_EQ(power_on_hint("COM3", enq, 2),
              "the Korrimatic is in its firmware loader: cycle its power, or update it with firmware 3 FILE.hex");
    EXPECT_EQ(power_on_hint("COM3", text, 2), "");
    EXPECT_EQ(power_on_hint("COM3", enq, 0), "");
}

TEST(Hints, ShownOnlyAtATerminal) {
    const struct {
        Sink::Reader reader;
        const char* shown;
    } readers[] = {
        {Sink::Reader::program, ""},
        {Sink::Reader::terminal, ""},  // the input from a pipe: a transcript
        {Sink::Reader::operator_at_terminal, "Hint: first\n"},
    };
    for (const auto& r : readers) {
        StringSink out;
        out.set_reader(r.reader);
        out.hints().offer("first");
        out.hints().offer("second");
        out.show_hint();
        EXPECT_EQ(out.text(), r.shown);
        EXPECT_EQ(out.hints().offered(), "");
    }
}

}  // namespace
