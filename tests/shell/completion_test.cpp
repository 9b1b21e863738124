// Tab completion at the prompt: command words from the table, and file names
// after configure, rules and firmware as the command line cuts them.
#include "shell/completion.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/line_editor.hpp"
#include "support/scratch_dir.hpp"

namespace {

TEST(Completion, CommandWordsAndFileNames) {
    ScratchDir scratch;
    for (const char* name : {"alpha.cfg", "alpine.rul", ".hidden"}) std::ofstream(scratch.path(name)) << "x";
    std::filesystem::create_directory(scratch.path("beta"));
    const std::string f = scratch.folder() + "/";
    struct Case {
        std::string before;
        std::string insert;
        std::vector<std::string> choices;
    };
    const Case cases[] = {
        {"", "", {}},
        {"he", "lp ", {}},
        {"  dc", "onfigure ", {}},
        {"d", "", {"dconfigure", "disconnect", "download", "drules"}},
        {"co", "n", {"configure", "connect"}},
        {"xyz", "", {}},
        {"conf " + f + "alph", "a.cfg", {}},
        {"CONF " + f + "al", "p", {"alpha.cfg", "alpine.rul"}},
        {"rules," + f + "b", "eta/", {}},
        {"firmware 3 " + f + "alpi", "ne.rul", {}},
        {"firmware COM3," + f + "alph", "a.cfg", {}},
        {"firmware 3", "", {}},                       // still the port
        {"drules " + f + "al", "", {}},               // takes no file
        {"conf " + f + ".h", "idden", {}},            // hidden names only when asked for
        {"conf " + f, "", {"alpha.cfg", "alpine.rul", "beta/"}},
        {"conf " + f + "al,x", "", {}},               // a comma ended the name
        {"x " + f + "al", "", {}},                    // exit takes no file
    };
    for (const Case& c : cases) {
        const Completion got = complete_line(c.before);
        EXPECT_EQ(got.insert, c.insert) << c.before;
        EXPECT_EQ(got.choices, c.choices) << c.before;
    }
}

// The editor's history file: under XDG_STATE_HOME, else under HOME, each
// only when it is an absolute path; else none.
TEST(LineEditor, HistoryFilePath) {
    const char* saved[2] = {std::getenv("XDG_STATE_HOME"), std::getenv("HOME")};
    const std::string kept[2] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : ""};
    const struct {
        const char* state;
        const char* home;
        std::string path;
    } cases[] = {
        {"/s", "/h", "/s/korrimatic/history"},
        {nullptr, "/h", "/h/.local/state/korrimatic/history"},
        {"s", "/h", "/h/.local/state/korrimatic/history"},
        {nullptr, "h", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        c.state ? setenv("XDG_STATE_HOME", c.state, 1) : unsetenv("XDG_STATE_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        EXPECT_EQ(history_file_path(), c.path) << (c.state ? c.state : "-") << " " << (c.home ? c.home : "-");
    }
    saved[0] ? setenv("XDG_STATE_HOME", kept[0].c_str(), 1) : unsetenv("XDG_STATE_HOME");
    saved[1] ? setenv("HOME", kept[1].c_str(), 1) : unsetenv("HOME");
}

}  // namespace
