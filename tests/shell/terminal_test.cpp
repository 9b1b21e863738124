// The utility at a real terminal, in tmux: editing with the arrows, recalling
// with Up, completing a file name with Tab, Ctrl-C at the prompt and during
// the power-on wait against korrisim, the warnings of configure and rules
// and the line before a download, and the history it keeps. With
// KORRI_TERMINAL_SCREENS=FILE the screens at the key moments are written to
// FILE. The trial session of scripts/run.sh takes the terminal's Ctrl-C
// without losing its simulated device.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"
#include "support/sim_session.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// One tmux server of the test's own, with one window running `command`.
class Terminal {
public:
    Terminal(const std::string& command, const std::string& folder)
        : socket_("korri-test-" + std::to_string(getpid())), output_(folder + "/pane.out") {
        const ProgramResult started =
            tmux({"-f", "/dev/null", "new-session", "-d", "-s", "t", "-x", "100", "-y", "40", command});
        start_error_ = started.err;
        std::ofstream(output_).flush();
        tmux({"pipe-pane", "-t", "t", "-o", "cat >> '" + output_ + "'"});
        watch_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch_ >= 0) inotify_add_watch(watch_, output_.c_str(), IN_MODIFY);
    }
    ~Terminal() {
        tmux({"kill-server"});
        if (watch_ >= 0) close(watch_);
    }

    void keys(const std::vector<std::string>& keys) {
        std::vector<std::string> args = {"send-keys", "-t", "t"};
        args.insert(args.end(), keys.begin(), keys.end());
        tmux(args);
    }
    // Types text as it is (no key names).
    void type(const std::string& text) { tmux({"send-keys", "-t", "t", "-l", text}); }

    std::string screen() { return tmux({"capture-pane", "-p", "-t", "t"}).out; }
    // Everything the pane has shown, as the program wrote it (carriage
    // returns, redraws and escapes included).
    std::string output() const {
        std::ifstream in(output_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Waits until the screen holds `text` `times` times; woken by the pane's
    // output, and at least every 100 ms.
    bool wait_for(const std::string& text, int times = 1, int timeout_ms = 10000) {
        return wait_until([&] { return count(screen(), text) >= times; }, timeout_ms);
    }
    // The same, counting in everything the pane has shown.
    bool wait_in_output(const std::string& text, int times, int timeout_ms = 10000) {
        return wait_until([&] { return count(output(), text) >= times; }, timeout_ms);
    }
    template <typename Done>
    bool wait_until(Done done, int timeout_ms) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            if (done()) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            pollfd p{watch_, POLLIN, 0};
            if (poll(&p, watch_ >= 0 ? 1 : 0, static_cast<int>(std::min<int64_t>(left.count(), 100))) > 0) {
                char events[4096];
                while (read(watch_, events, sizeof events) > 0) {
                }
            }
        }
    }

    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

private:
    ProgramResult tmux(std::vector<std::string> args) {
        args.insert(args.begin(), {"tmux", "-L", socket_});
        return run_program("/usr/bin/env", args, "");
    }
    std::string socket_, output_;

public:
    std::string start_error_;

private:
    int watch_ = -1;
};

bool have_tmux() { return std::system("command -v tmux >/dev/null 2>&1") == 0; }

// The screen's lines from the first that holds `from`, trailing blank lines left out.
std::string screen_from(const std::string& screen, const std::string& from) {
    std::string s = screen.substr(std::min(screen.rfind(from), screen.size()));
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

TEST(Terminal, EditingHistoryCompletionAndCtrlC) {
    if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
    SimSession sim({"--power=control"});
    SimSession unplugged({"--vanish=handshake"});
    ScratchDir scratch;
    std::filesystem::copy_file(std::string(KORRI_SOURCE_DIR) + "/examples/station.cfg",
                               scratch.path("alpha-station.cfg"));
    std::ofstream(scratch.path("warn.cfg")) << "havegps on\n";
    std::ofstream(scratch.path("warn.rul")) << "drop sector 10:00:00, 80:00:00, 5\n";
    std::ofstream(scratch.path("bad.rul")) << "drop implicit\npass circle 0, 39:30:00, -104:45:00\n";
    std::ofstream(scratch.path("cut.hex")) << ":0400100001020304E2\n";
    std::filesystem::create_directories(scratch.path("home"));
    std::ofstream(scratch.path("home/.editrc")) << "bind -s ^X drules\n";
    const std::string command = "cd '" + scratch.folder() + "' && env HOME='" + scratch.path("home") +
                                "' XDG_STATE_HOME='" + scratch.path("state") + "' KORRIMATIC_COM1='" +
                                sim.port_path() + "' KORRIMATIC_COM2='" + unplugged.port_path() + "' '" +
                                KORRIMATIC_BIN + "'; echo STATUS=$?; sleep 600";
    Terminal term(command, scratch.folder());
    std::ostringstream screens;
    auto shot = [&](const char* moment, const std::string& from) {
        screens << "--- " << moment << " ---\n" << screen_from(term.screen(), from) << "\n";
    };
    ASSERT_TRUE(term.wait_for("Command>")) << term.start_error_ << term.screen();

    // Tab completes the file name after the command word.
    term.type("conf alp");
    term.keys({"Tab"});
    ASSERT_TRUE(term.wait_for("Command> conf alpha-station.cfg")) << term.screen();
    shot("Tab completed the file name", "Command> conf");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Configuration items processed 22")) << term.screen();

    // The arrows move in the line: "drles" becomes "drules".
    term.type("drles");
    term.keys({"Left", "Left", "Left", "u", "Enter"});
    ASSERT_TRUE(term.wait_for("No Rules are configured!")) << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "Command> drules\n"), 1) << term.screen();
    // ~/.editrc is read: its Ctrl-X types the same command.
    term.keys({"C-x", "Enter"});
    ASSERT_TRUE(term.wait_for("No Rules are configured!", 2)) << term.screen();

    // Up recalls the earlier lines; Ctrl-C drops the recalled one.
    term.keys({"Up", "Up"});
    ASSERT_TRUE(term.wait_for("Command> conf alpha-station.cfg", 2)) << term.screen();
    shot("Up, Up recalled the first line", "Command> conf");
    term.keys({"C-c"});
    ASSERT_TRUE(term.wait_for("Command> conf alpha-station.cfg^C\nCommand>")) << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "Configuration items processed 22"), 1) << term.screen();
    shot("Ctrl-C dropped the line", "Command> drules");

    // Ctrl-C during the power-on wait cancels the connect.
    term.type("connect 1");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("You have 20 seconds to do this...")) << term.screen();
    ASSERT_TRUE(term.wait_for("You have 19 seconds to do this...")) << term.screen();
    shot("the power-on wait counts down", "Command> connect 1");
    const auto pressed = Clock::now();
    term.keys({"C-c"});
    ASSERT_TRUE(term.wait_for("Error: connect cancelled by Ctrl-C!\nCommand>")) << term.screen();
    EXPECT_LT(Clock::now() - pressed, std::chrono::seconds(5));
    EXPECT_TRUE(sim.wait_for_log("close")) << sim.sim_log();
    shot("Ctrl-C cancelled the power-on wait", "Command> connect 1");

    // The next connect works; an answer to a question stays out of the history.
    term.type("connect 1");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("TURN ON the Korrimatic", 2)) << term.screen();
    sim.control("on");
    ASSERT_TRUE(term.wait_for("Connected at 4800\nKorrimatic firmware version 2.5\nCommand>")) << term.screen();
    shot("the version on connect", "Command> connect 1");
    term.type("download");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("(yes|no) [no]:")) << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "\nTo send: call sign N0CALL SSID 10, position 39.396000 -104.85067, 0 "
                                             "rules, implicit Pass\n\nWarning: Rules file"),
              1)
        << term.screen();
    // Before it, what the journal (in XDG_STATE_HOME) knows of the station.
    EXPECT_EQ(Terminal::count(term.screen(), "\nJournal: the first download to N0CALL-10 in the journal\nTo send: "), 1)
        << term.screen();
    // Tab's list redraws the question's last line alone, as it was.
    term.type("d");
    term.keys({"Tab"});
    ASSERT_TRUE(term.wait_for("  drules\n(yes|no) [no]: d")) << term.screen();
    term.keys({"BSpace"});
    term.type("n");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Download Aborted!")) << term.screen();

    // At a terminal configure and rules warn of likely mistakes, and download
    // says what it sends; a failed Rules file's drop implicit is not sent.
    term.type("conf warn.cfg");
    term.keys({"Enter"});
    // (lines longer than the 100 columns wrap on the screen)
    ASSERT_TRUE(term.wait_for("Configuration items processed 1\nWarning: line 1: havegps on is read as No: only its"))
        << term.screen();
    ASSERT_TRUE(term.wait_for("\nWarning: no call line: the station goes on the air as NOTSET\nCommand>"))
        << term.screen();
    term.type("rules warn.rul");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Rules processed 1, implicit 0\nWarning: warn.rul[1]: sector has no outer range"))
        << term.screen();
    term.type("rules bad.rul");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Rule processing failed")) << term.screen();
    term.type("download");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("To send: call sign NOTSET SSID 0, position 38.840557 -105.04389, 0 rules, implicit "
                              "Pass\nWarning: the call sign is NOTSET: no Configuration file in force has set one\n"))
        << term.screen();
    ASSERT_TRUE(term.wait_for("(yes|no) [no]:", 2)) << term.screen();
    term.type("n");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Download Aborted!", 2)) << term.screen();
    shot("the warnings of configure and rules, and what a download sends", "Command> conf warn.cfg");

    // A typo gets its hint, an ambiguous word its candidates, and a device
    // unplugged in the handshake ends the command, not the program.
    ASSERT_TRUE(term.wait_for("Download Aborted!\nCommand>")) << term.screen();
    term.type("conect 2");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Error: unknown command: conect\nHint: did you mean \"connect\"?\nCommand>"))
        << term.screen();
    // An ambiguous word gets its candidates.
    term.type("d");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Error: ambiguous command: d\nHint: did you mean one of: dconfigure, disconnect, "
                              "download, drules?\nCommand>"))
        << term.screen();
    term.type("disconnect");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Command> disconnect\nDisconnected\nCommand>")) << term.screen();
    // At a terminal firmware checks its file before it asks, and says that
    // nothing was sent.
    term.type("firmware 1 cut.hex");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Error: no end-of-file record: the file may be cut short after line 1 in Firmware file!\n"
                              "Error: Firmware file has some kind of error!\nError: Firmware update failed!\n"))
        << term.screen();
    ASSERT_TRUE(term.wait_for("Nothing reached the Korrimatic: its firmware was not touched.\nCommand>")) << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "This will alter the Korrimatic firmware!"), 0) << term.screen();
    term.type("connect 2");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Return code 26, system error code 5\nDisconnected\nHint: the port went away"))
        << term.screen();
    shot("a hint, and an unplugged adapter", "Command> conect 2");

    // Ctrl-C twice at an empty prompt ends the program as the end of input.
    ASSERT_TRUE(term.wait_for("then run the command again\nCommand>")) << term.screen();
    term.keys({"C-c"});
    ASSERT_TRUE(term.wait_for("(Ctrl-C again within 2 seconds, Ctrl-D or exit ends the program)")) << term.screen();
    term.keys({"C-c"});
    ASSERT_TRUE(term.wait_for("STATUS=1")) << term.screen();
    shot("the download question, then Ctrl-C twice", "Command> connect 1");

    std::ifstream history(scratch.path("state/korrimatic/history"));
    std::stringstream kept;
    kept << history.rdbuf();
    // libedit's history file: blanks written as \040, a line repeated at once kept once.
    EXPECT_NE(kept.str().find("conf\\040alpha-station.cfg\ndrules\nconnect\\0401\ndownload\nconf\\040warn.cfg\nrules\\040warn.rul\nrules\\040bad.rul\ndownload\nconect\\0402\nd\ndisconnect\nfirmware\\0401\\040cut.hex\n"),
              std::string::npos)
        << kept.str();
    EXPECT_EQ(kept.str().find("\nn\n"), std::string::npos) << kept.str();

    if (const char* file = std::getenv("KORRI_TERMINAL_SCREENS")) std::ofstream(file) << screens.str();
}

// In a UTF-8 locale a character of several bytes reaches the command whole:
// the line editor reads it byte by byte and keeps each byte once.
TEST(Terminal, ACharacterBeyondAsciiReachesTheCommandWhole) {
    if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
    ScratchDir scratch;
    const std::string command = "cd '" + scratch.folder() + "' && env LC_ALL=C.UTF-8 HOME='" + scratch.folder() +
                                "' XDG_STATE_HOME='" + scratch.path("state") + "' '" + KORRIMATIC_BIN +
                                "'; sleep 600";
    Terminal term(command, scratch.folder());
    ASSERT_TRUE(term.wait_for("Command>")) << term.start_error_ << term.screen();
    term.type("conf caf\u00e9.cfg");
    term.keys({"Enter"});
    EXPECT_TRUE(term.wait_for("Error: cannot open caf\u00e9.cfg")) << term.screen();
}

// scripts/run.sh with the programs already built: Ctrl-C at the prompt and
// during a firmware transfer reach the utility alone; korrisim stays, so that
// connect works after the first and the transfer ends well after the second.
TEST(Terminal, RunScriptSessionKeepsItsDeviceThroughCtrlC) {
    if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
    ScratchDir scratch;
    const std::string build = std::filesystem::path(KORRIMATIC_BIN).parent_path().string();
    const std::string command = "cd '" + scratch.folder() + "' && env -u KORRIMATIC_COM1 HOME='" +
                                scratch.path("home") + "' XDG_STATE_HOME='" + scratch.path("state") +
                                "' KORRI_BUILD_DIR='" + build + "' '" + KORRI_SOURCE_DIR +
                                "/scripts/run.sh' --no-pace '--loader-slow=*:1:20'; echo STATUS=$?; sleep 600";
    Terminal term(command, scratch.folder());
    ASSERT_TRUE(term.wait_for("Command>")) << term.start_error_ << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "Its line is paced"), 0) << term.screen();
    term.keys({"C-c"});
    ASSERT_TRUE(term.wait_for("(Ctrl-C again within 2 seconds")) << term.screen();
    term.type("connect 1");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Connected at 57600")) << term.screen();
    term.type("disconnect");
    term.keys({"Enter"});
    term.type(std::string("firmware 1 ") + KORRI_SOURCE_DIR + "/examples/korrimatic-sample.hex");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Do you want to continue (n or y)? [n]:")) << term.screen();
    term.type("y");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("Type the Enter key when you are ready to continue...")) << term.screen();
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("s TTC ")) << term.screen();
    term.keys({"C-c"});
    ASSERT_TRUE(term.wait_for("Press Ctrl-C again within 3 seconds to stop.")) << term.screen();
    ASSERT_TRUE(term.wait_for("Firmware update succeeded!", 1, 30000)) << term.screen();
    // At a terminal the transfer ends with what it sent.
    EXPECT_EQ(Terminal::count(term.screen(), "Sent 259 record lines, 13356 bytes, "), 1) << term.screen();  // each line with its CR
    // korrisim without --pace answers faster than any wire: a note says the
    // answers were not held to it. The rate line claims no share of the line
    // when the transfer went faster than it; a loaded machine (or the one
    // wait spent when the first answers looked paced) can make it slower.
    EXPECT_EQ(Terminal::count(term.screen(), "Note: the Korrimatic answered sooner"), 1) << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "faster than the line's 1920 bytes/s") +
                  Terminal::count(term.screen(), "% of the line's 1920 bytes/s"),
              1)
        << term.screen();
    term.type("exit");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("STATUS=0")) << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "korrisim) has ended"), 0) << term.screen();
}

// An Intel HEX file of `records` data records of 16 bytes and its end record.
std::string small_firmware(int records) {
    std::string text;
    char line[64];
    for (int r = 0; r < records; ++r) {
        const unsigned address = static_cast<unsigned>(r) * 16;
        unsigned sum = 16 + (address >> 8) + (address & 0xff);
        int at = std::snprintf(line, sizeof line, ":10%04X00", address);
        for (unsigned k = 0; k < 16; ++k) {
            const unsigned byte = (address + k * 7) & 0xff;
            sum += byte;
            at += std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), "%02X", byte);
        }
        std::snprintf(line + at, sizeof line - static_cast<std::size_t>(at), "%02X\n", (0x100 - (sum & 0xff)) & 0xff);
        text += line;
    }
    return text + ":00000001FF\n";
}

// The trial session of scripts/run.sh as the README shows it: its line is
// paced at the port's rate, so a firmware update's progress line counts real
// seconds and its figures stay within the line's rate; and the update works
// whenever the operator presses Enter after the `y`: before the simulated
// device's automatic power-on (0.3 s), within its loader's window (0.6 s) or
// after its console has started (3 s).
TEST(Terminal, RunScriptFirmwareUpdateOnAPacedLineWhateverTheEnterTiming) {
    if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
    ScratchDir scratch;
    constexpr int RECORDS = 50;                    // and the end record: 51 lines of 44 bytes with their CRs,
    constexpr double LINE_BYTES_PER_S = 1920.0;    // 1.17 s at 19200 baud
    std::ofstream(scratch.path("small.hex")) << small_firmware(RECORDS);
    const std::string build = std::filesystem::path(KORRIMATIC_BIN).parent_path().string();
    const std::string command = "cd '" + scratch.folder() + "' && env -u KORRIMATIC_COM1 HOME='" +
                                scratch.path("home") + "' XDG_STATE_HOME='" + scratch.path("state") +
                                "' KORRI_BUILD_DIR='" + build + "' '" + KORRI_SOURCE_DIR +
                                "/scripts/run.sh'; echo STATUS=$?; sleep 600";
    Terminal term(command, scratch.folder());
    ASSERT_TRUE(term.wait_for("Command>")) << term.start_error_ << term.screen();
    EXPECT_EQ(Terminal::count(term.screen(), "Its line is paced at the port's rate"), 1) << term.screen();
    const int enter_after_ms[] = {300, 600, 3000};
    int updates = 0;
    for (const int after : enter_after_ms) {
        term.type("firmware 1 " + scratch.path("small.hex"));
        term.keys({"Enter"});
        ASSERT_TRUE(term.wait_in_output("Do you want to continue (n or y)? [n]: ", updates + 1)) << after << term.screen();
        term.type("y");
        term.keys({"Enter"});
        std::this_thread::sleep_until(Clock::now() + std::chrono::milliseconds(after));
        term.keys({"Enter"});
        ASSERT_TRUE(term.wait_in_output("Firmware update succeeded!", updates + 1, 20000)) << after << term.screen();
        ++updates;
        const std::string out = term.output();
        EXPECT_EQ(Terminal::count(out, "did not receive the Korrimatic Firmware prompt"), 0) << after << term.screen();
        // The progress line's last drawing: the whole seconds the paced transfer took.
        const std::size_t bar = out.rfind("s TTC   0s 100.0%=");
        ASSERT_NE(bar, std::string::npos) << after << term.screen();
        EXPECT_GE(std::atoi(out.substr(out.rfind('\r', bar) + 1).c_str()), 1) << after << term.screen();
        // The closing line: no faster than the line carries the bytes.
        long lines = 0, bytes = 0, resent = 0;
        double seconds = 0;
        const std::size_t sent = out.rfind("Sent ");
        ASSERT_NE(sent, std::string::npos) << after << term.screen();
        ASSERT_EQ(std::sscanf(out.c_str() + sent, "Sent %ld record lines, %ld bytes, %ld lines resent, in %lf s", &lines,
                              &bytes, &resent, &seconds),
                  4)
            << out.substr(sent, 80);
        EXPECT_EQ(lines, RECORDS + 1) << after;
        EXPECT_GE(seconds + 0.05, static_cast<double>(bytes) / LINE_BYTES_PER_S) << after << ": " << out.substr(sent, 80);
    }
    term.type("exit");
    term.keys({"Enter"});
    ASSERT_TRUE(term.wait_for("STATUS=0")) << term.screen();
}

}  // namespace
