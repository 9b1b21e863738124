// Runs the built utility with a console input and compares everything it
// prints, and its exit status, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.hpp"

namespace {

const std::string P = "Command> ";

std::string summary() {
    // The summary is the start-up text less the banner, the blank line after
    // the summary and the prompt.
    std::string s = startup_text();
    s = s.substr(s.find("\n\t\tCommand Summary:"));
    return s.substr(0, s.size() - std::string("\nCommand> ").size());
}

struct Transcript {
    const char* name;
    std::string input;
    std::string output;  // after the start-up text and its first prompt
    int status;
};

TEST(ShellTranscript, MatchesByteForByte) {
    const Transcript cases[] = {
        {"end of input at once", "", "\n", 1},
        {"exit", "exit\n", "", 0},
        {"quit and x", "quit\n", "", 0},
        {"x", "x\n", "", 0},
        {"exit in capitals", "EXIT\n", "", 0},
        {"exit without a newline", "exit", "", 0},
        {"help prints the summary", "help\nexit\n", summary() + P, 0},
        {"? prints the summary", "?\nexit\n", summary() + P, 0},
        {"help ignores extra tokens", "help now\nexit\n", summary() + P, 0},
        {"unknown word", "exitnow\n", "\a\aError: unknown command: exitnow\n" + P + "\n", 1},
        {"ambiguous word", "d\n", "\a\aError: ambiguous command: d\n" + P + "\n", 1},
        {"ambiguous con", "con 3\n", "\a\aError: ambiguous command: con\n" + P + "\n", 1},
        {"empty lines do nothing", "\n\n", P + P + "\n", 1},
        {"a repeat with nothing before it does nothing", ".\n", P + "\n", 1},
        {"a repeat runs the previous line with its arguments", "xyz 1 2\n.\n. anything\n",
         "\a\aError: unknown command: xyz\n" + P + "\a\aError: unknown command: xyz\n" + P +
             "\a\aError: unknown command: xyz\n" + P + "\n",
         1},
        {"a repeat of help", "help\n.\nexit\n", summary() + P + summary() + P, 0},
        {"a repeat of a line of blanks does nothing", "help\n   \n.\n", summary() + P + P + P + "\n", 1},
        {"an empty line keeps the previous line", "zz\n\n.\n",
         "\a\aError: unknown command: zz\n" + P + P + "\a\aError: unknown command: zz\n" + P + "\n", 1},
        {"a dot after a blank is the dot row", " .\n", "\a\aInternal Error: command 33 is invalid!\n" + P + "\n", 1},
        {"a word of forty characters", std::string(40, 'h') + "\n",
         "\a\aError: unknown command: " + std::string(40, 'h') + "\n" + P + "\n", 1},
        {"separators before the word", " ,\thelp\nx\n", summary() + P, 0},
        {"a line of 255 characters runs", "help" + std::string(251, ' ') + "\nx\n", summary() + P, 0},
        // A console line is what lies between two line feeds: a NUL ends its
        // text, a CR right before the line feed goes.
        {"a NUL at the end of a command", std::string("help\0\nexit\n", 11), summary() + P, 0},
        {"a NUL in the middle ends the text", std::string("help\0xyz\nexit\n", 14), summary() + P, 0},
        {"a NUL at the start leaves an empty command", std::string("\0help\nexit\n", 11), P, 0},
        {"CR LF line ends", "help\r\nexit\r\n", summary() + P, 0},
        {"a lone CR stays part of the line", "help\rx\nzz\r \nexit\n",
         "\a\aError: unknown command: help\rx\n" + P + "\a\aError: unknown command: zz\r\n" + P, 0},
        {"a longer line runs nothing and is not remembered",
         "zz\nhelp" + std::string(252, ' ') + "x\n.\n",
         "\a\aError: unknown command: zz\n" + P + "\a\aError: command line too long (max 255 characters)\n" + P +
             "\a\aError: unknown command: zz\n" + P + "\n",
         1},
    };
    for (const Transcript& t : cases) {
        ProgramResult r = run_korrimatic(t.input);
        EXPECT_EQ(visible(r.out), visible(startup_text() + t.output)) << t.name;
        EXPECT_EQ(r.exit_status, t.status) << t.name;
        EXPECT_EQ(r.err, "") << t.name;
    }
}

}  // namespace
