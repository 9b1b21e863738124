// The command-line options of the utility under test: scripts and their
// exit status, device paths against korrisim's pseudo-terminal, and the
// options that only print. Cases that talk to korrisim run at the same time.
// The Windows build (under Wine) takes COMn ports only, not device paths.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/concurrently.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"
#include "support/sim_session.hpp"

namespace {

const std::string P = "Command> ";

// "{script}" in an argument is the script file, "{port}" in the script
// korrisim's pseudo-terminal and "{bad}" a faulty Configuration file.
struct ScriptCase {
    const char* what;
    std::vector<std::string> sim;  // korrisim's options; none: no korrisim
    std::vector<std::string> args;
    std::string script;
    std::string input;  // standard input
    int status;
    std::vector<std::string> present;  // in standard output, in this order
    std::vector<std::string> absent;
    bool device_path = false;  // names a device path: not on Windows
    std::string err_part{};    // in standard error
};

std::string replaced(std::string text, const std::string& mark, const std::string& by) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size())) {
        text.replace(at, mark.size(), by);
    }
    return text;
}

ProgramResult run_utility(const std::vector<std::string>& args, const std::string& input,
                          const ProgramOptions& options = {}) {
    const ProgramCommand& command = korrimatic_command();
    std::vector<std::string> all = command.args;
    all.insert(all.end(), args.begin(), args.end());
    return run_program(command.path, all, input, options);
}

ProgramResult run_case(const ScriptCase& c) {
    ScratchDir scratch;
    std::unique_ptr<SimSession> sim;
    std::string port = "/nonexistent";
    if (!c.sim.empty()) {
        sim = std::make_unique<SimSession>(c.sim);
        port = sim->port_path();
    }
    std::ofstream(scratch.path("bad.cfg")) << "call N0CALL\nssid 16\n";
    std::string script = replaced(replaced(c.script, "{port}", port), "{bad}", scratch.path("bad.cfg"));
    std::ofstream(scratch.path("script.txt"), std::ios::binary) << script;
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(replaced(a, "{script}", scratch.path("script.txt")));
    ProgramOptions options;
    options.cwd = KORRI_SOURCE_DIR;
    options.timeout_seconds = 60;
    if (sim) options.env.emplace_back("KORRIMATIC_COM1", port);
    return run_utility(args, c.input, options);
}

TEST(CommandLine, ScriptsEndWithAStatusThatTellsWhetherEveryCommandSucceeded) {
    const std::vector<std::string> script = {"--script", "{script}"};
    const std::vector<std::string> keep_going = {"--script", "{script}", "--keep-going"};
    const std::vector<std::string> console = {"--power=auto"};
    const ScriptCase cases[] = {
        {"all good to the end of the file", {}, script,
         "configure examples/station.cfg\nrules examples/station.rul\ndrules\n", "", 0,
         {P + "configure examples/station.cfg\nConfiguration items processed 22\n",
          P + "rules examples/station.rul\nRules processed 16, implicit 1\n", P + "drules\n"},
         {}},
        {"all good to exit, from standard input", {}, {"--script", "-"}, "", "angles\nexit\nhelp\n", 0,
         {P + "angles\n", P + "exit\n"}, {P + "help"}},
        {"a failed configure stops the script", {}, script, "configure {bad}\nhelp\nexit\n", "", 2,
         {"Error: line 2: invalid SSID", "Error: Configuration processing failed\n"}, {P + "help"}},
        {"a refused download", console, script, "connect 1\ndownload\nno\nexit\n", "", 2,
         {P + "connect 1\n", "Connected at 57600\n", P + "download\n", "[no]: no\n", "Download Aborted!\n"},
         {P + "exit"}},
        {"keep going runs every line", {}, keep_going, "zz\nconfigure {bad}\nhelp\nexit\n", "", 2,
         {"unknown command: zz\n", "Configuration processing failed\n", P + "help\n", P + "exit\n"}, {}, false,
         ": 2 lines failed:\n  line 1: zz\n  line 2: configure "},
        {"keep going with every command good", {}, keep_going, "help\nexit\n", "", 0, {P + "exit\n"}, {}},
        // Device paths: a token that begins with '/' is the device itself.
        {"connect to a device path", console, script, "connect {port} 9600\ndisconnect\n", "", 0,
         {P + "connect /dev/pts/", "Connected at 9600\n", "Disconnected\n"}, {"Error"}, true},
        {"firmware on a device path", {"--mode=loader"}, script,
         "firmware {port} examples/korrimatic-sample.hex\ny\n\nexit\n", "", 0,
         {"[n]: y\n", "Connected at 19200\n", "Firmware update succeeded!\n"}, {"Error"}, true},
        {"a device path that does not exist", {}, script, "connect /nonexistent/ttyX\n", "", 2,
         {"Error: cannot open COM port /nonexistent/ttyX: /nonexistent/ttyX: No such file or directory",
          "Error: could not open COM port /nonexistent/ttyX\n"},
         {"KORRIMATIC_COM"}, true},
    };
    const std::vector<ProgramResult> results = run_concurrently(cases, [](const ScriptCase& c) {
        return c.device_path && under_wine() ? ProgramResult{} : run_case(c);
    });
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const ScriptCase& c = cases[i];
        const ProgramResult& r = results[i];
        if (c.device_path && under_wine()) continue;
        EXPECT_EQ(r.exit_status, c.status) << c.what << "\n" << visible(r.out) << r.err;
        EXPECT_EQ(r.out.rfind(startup_text(), 0), 0u) << c.what;
        std::size_t from = 0;
        for (const std::string& part : c.present) {
            const std::size_t at = r.out.find(part, from);
            EXPECT_NE(at, std::string::npos) << c.what << ": " << visible(part) << "\n" << visible(r.out);
            if (at != std::string::npos) from = at + part.size();
        }
        for (const std::string& part : c.absent) {
            EXPECT_EQ(r.out.find(part), std::string::npos) << c.what << ": " << visible(part);
        }
        EXPECT_NE(r.err.find(c.err_part), std::string::npos) << c.what << ": " << r.err;
    }
}

TEST(CommandLine, AScriptShowsEachLineAfterItsPrompt) {
    const ScriptCase c = {"", {}, {"--script", "{script}", "--keep-going"}, "zz\r\n.\n", "", 2, {}, {}};
    const ProgramResult r = run_case(c);
    EXPECT_EQ(visible(r.out), visible(startup_text() + "zz\n\a\aError: unknown command: zz\n" + P + ".\n" +
                                      "\a\aError: unknown command: zz\n" + P + "\n"));
    EXPECT_EQ(r.exit_status, 2);
}

TEST(CommandLine, OptionsThatOnlyPrintOrAreRefused) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out_begins, err_begins;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: korrimatic [--script FILE [--keep-going]]\n", ""},
        {{"--version"}, 0, "Korrimatic PC Host Utility Version 2.4a\nkorrimatic build 2.", ""},
        {{"--bogus"}, 2, "", "korrimatic: unknown option --bogus\nTry 'korrimatic --help'.\n"},
        {{"extra"}, 2, "", "korrimatic: unexpected argument extra\n"},
        {{"--keep-going"}, 2, "", "korrimatic: option --keep-going goes with --script\n"},
        {{"--script"}, 2, "", "korrimatic: option --script needs a file name\n"},
        {{"--script", "/nonexistent/script"}, 2, "", "korrimatic: cannot open script /nonexistent/script: No such"},
        {{"--script=/nonexistent/script"}, 2, "", "korrimatic: cannot open script /nonexistent/script: No such"},
        {{"--check", "station.cfg"}, 2, "", "korrimatic: option --check needs a Configuration file and a Rules"},
        {{"--check", "-", "-", "--script", "x"}, 2, "", "korrimatic: option --check goes without --script\n"},
        {{"--journal", "x1"}, 2, "", "korrimatic: option --journal takes an entry number, not x1\n"},
        {{"--journal", "0"}, 2, "", "korrimatic: option --journal takes an entry number, not 0\n"},
        {{"--journal", "--script", "-"}, 2, "", "korrimatic: option --journal goes alone\n"},
        {{"--no-journal", "--journal-dir", "/tmp"}, 2, "", "korrimatic: option --no-journal goes without"},
        {{"--journal-dir"}, 2, "", "korrimatic: option --journal-dir needs a folder\n"},
        {{"--journal", "--journal-dir", "/nonexistent"}, 1, "No transfers in the journal /nonexistent",
         ""},
        {{"--journal", "4", "--journal-dir", "/nonexistent"}, 2, "\a\aError: no entry 4 in the journal", ""},
        {{"--journal", "--journal-dir=/nonexistent"}, 1, "No transfers in the journal /nonexistent", ""},
        {{"--decode", "x", "dir"}, 2, "", "korrimatic: option --decode needs a journal entry number and a folder\n"},
        {{"--diff", "station.cfg"}, 2, "", "korrimatic: option --diff needs a Configuration file and a Rules file\n"},
        {{"--diff", "-", "-", "2", "--script", "x"}, 2, "", "korrimatic: options --decode and --diff go alone\n"},
        {{"--journal-dir", "/nonexistent", "--decode", "1", "dir"}, 2, "",
         "korrimatic: the journal in /nonexistent has no entry 1\n"},
        {{"--journal-dir", "/nonexistent", "--decode", "91", "dir"}, 2, "",
         "korrimatic: the journal in /nonexistent has no entry 91\n"},
    };
    for (const Case& c : cases) {
        const ProgramResult r = run_utility(c.args, "");
        EXPECT_EQ(r.exit_status, c.status) << c.args[0];
        EXPECT_EQ(r.out.substr(0, c.out_begins.size()), c.out_begins) << c.args[0];
        EXPECT_EQ(r.err.substr(0, c.err_begins.size()), c.err_begins) << c.args[0];
        if (c.out_begins.empty()) {
            EXPECT_EQ(r.out, "") << c.args[0];
        }
    }
    // Every port listed is a device path (on Windows a COM port), with what
    // it is after it.
    const std::string port_start = under_wine() ? "COM" : "/dev/";
    const ProgramResult ports = run_utility({"--list-ports"}, "");
    // With no port at all it says so and fails with status 1.
    const bool none = ports.err.find("no serial ports found") != std::string::npos;
    EXPECT_EQ(ports.exit_status, none ? 1 : 0) << ports.err;
    if (none) {
        EXPECT_EQ(ports.out.find("/dev/"), std::string::npos) << ports.out;
    }
    for (std::size_t at = 0; at < ports.out.size(); at = ports.out.find('\n', at) + 1) {
        EXPECT_EQ(ports.out.compare(at, port_start.size(), port_start), 0) << ports.out;
    }
}

}  // namespace
