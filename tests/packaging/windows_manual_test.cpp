// The operator's manual of the Windows zip, made from README.md's sections
// and packaging/manual-windows.md by packaging/windows-manual.cmake: plain
// text with CR LF line ends that names every command, Configuration keyword,
// rule command and action word and compass direction of the program's own
// tables, so that a word added to a table without its entry in the manual
// fails here, and holds nothing that only a Linux operator has. A README that
// no longer holds what the Windows source takes from it stops the making.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

#include "config/config_keywords.hpp"
#include "station/rule_record.hpp"
#include "shell/command_table.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"
#include "support/words.hpp"

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// cmake wraps its messages: every run of blanks and line breaks as one blank.
std::string one_line(const std::string& text) {
    std::string line;
    for (char c : text) {
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (!blank) line += c;
        else if (!line.empty() && line.back() != ' ') line += ' ';
    }
    return line;
}

ProgramResult make_manual(const std::string& readme, const std::string& out) {
    return run_program("/usr/bin/env",
                       {"cmake", "-DREADME=" + readme, "-DOUT=" + out, "-DVERSION=9.9", "-P",
                        std::string(KORRI_SOURCE_DIR) + "/packaging/windows-manual.cmake"},
                       "");
}

TEST(WindowsManual, NamesEveryWordOfTheTablesWithCrLfLineEnds) {
    ScratchDir scratch;
    const std::string out = scratch.path("MANUAL.txt");
    const ProgramResult made = make_manual(std::string(KORRI_SOURCE_DIR) + "/README.md", out);
    ASSERT_EQ(made.exit_status, 0) << made.err;
    const std::string manual = read_file(out);
    ASSERT_EQ(manual.rfind("Korrimatic host utility 9.9: the operator's manual\r\n", 0), 0u) << manual.substr(0, 80);
    for (std::size_t at = manual.find('\n'); at != std::string::npos; at = manual.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && manual[at - 1] == '\r') << "a line without CR LF before byte " << at;
    }
    for (const CommandEntry& row : command_table) EXPECT_TRUE(names(manual, row.word)) << row.word;
    for (const ConfigKeyword& k : config_keywords) EXPECT_TRUE(names(manual, k.word)) << k.word;
    for (const RuleCommand& r : rule_command_table) EXPECT_TRUE(names(manual, r.word)) << r.word;
    for (const RuleAction& a : rule_action_words) EXPECT_TRUE(names(manual, a.word)) << a.word;
    for (int d = 1; d < COMPASS_DIRECTION_COUNT; ++d) {
        EXPECT_TRUE(names(manual, compass_direction_names[d])) << compass_direction_names[d];
    }
    for (const char* part : {"Colon", "Dotted", "DMC", "Ctrl-C", "COM1 to COM20", "Device Manager", "--script",
                             "--keep-going", "--list-ports", "--check", "Firmware update\r\n===",
                             "The Configuration file\r\n", "Ctrl-Z", "F7", "keeps no history", "%errorlevel%",
                             "korrimatic.exe --check station.cfg", "rectangle corners are south-west"}) {
        EXPECT_NE(manual.find(part), std::string::npos) << part;
    }
    // What concerns Linux, a POSIX shell or the build only stays out.
    for (const char* part : {"Ports on Linux", "Testing the Windows build under Wine", "```", "](#", "libedit",
                             "editrc", "XDG_STATE_HOME", "Ctrl-D", "/dev/", "usermod", "<<", "korrimap",
                             "man korrimatic", "see Install", "cross build above", "sudo", "apt ", "~/", "$ ",
                             "scripts/", "build/", "Linux", "FIFO", "simulated device", "top folder", "this README"}) {
        EXPECT_EQ(manual.find(part), std::string::npos) << part;
    }
}

// The Windows source names what it takes from the README: a README that has
// lost a section or changed a passage the Windows source rewrites stops the
// manual, naming the section, rather than let a Linux text through.
TEST(WindowsManual, AReadmeThatDriftedStopsTheManual) {
    ScratchDir scratch;
    const std::string readme = read_file(std::string(KORRI_SOURCE_DIR) + "/README.md");
    struct Case {
        const char* what;
        std::string from, to;  // an edit of the README
        const char* message;   // empty: the manual is made
    } cases[] = {
        {"the README as it is", "", "", ""},
        {"a section's marker gone", "<!-- section: angles -->\n", "", "README.md has no section angles"},
        {"a rewritten passage changed", "made by the cross build above", "made by the build above",
         "the section windows of README.md no longer holds"},
        {"a passage ending inside a line changed", "as the examples of this README write them",
         "as this README's examples write them", "the section rule-checks of README.md no longer holds"},
        {"text outside every section changed", "## Supported platforms", "## Platforms", ""},
    };
    for (const Case& c : cases) {
        std::string edited = readme;
        if (!c.from.empty()) {
            const std::size_t at = edited.find(c.from);
            ASSERT_NE(at, std::string::npos) << c.what;
            edited.replace(at, c.from.size(), c.to);
        }
        const std::string path = scratch.path("README.md");
        std::ofstream(path, std::ios::binary) << edited;
        const ProgramResult made = make_manual(path, scratch.path("MANUAL.txt"));
        if (*c.message == '\0') {
            EXPECT_EQ(made.exit_status, 0) << c.what << ": " << made.err;
        } else {
            EXPECT_NE(made.exit_status, 0) << c.what;
            EXPECT_NE(one_line(made.err).find(c.message), std::string::npos) << c.what << ": " << made.err;
        }
    }
}

}  // namespace
