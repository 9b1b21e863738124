// Ctrl-C during a command, on the in-memory line: a press during a wait
// cancels the command at that moment and it ends as its failures do; during
// the firmware transfer the first press only warns and a second one within
// three seconds stops at the line reached.
#include "process/interrupt.hpp"
#include "shell/shell_state.hpp"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <chrono>
#include <csignal>
#include <string>

#include "device/device_link.hpp"
#include "device/scripted_device.hpp"
#include "download/answering_device.hpp"
#include "firmware/firmware_update.hpp"
#include "firmware/hex_files.hpp"
#include "firmware/loader_device.hpp"
#include "process/pause.hpp"
#include "shell/commands.hpp"
#include "support/capture.hpp"
#include "support/shell_output.hpp"
#include "support/run_program.hpp"
#include "support/temp_file.hpp"

namespace {

struct Presses {
    Presses() { clear_interrupts(); }
    ~Presses() {
        clear_interrupts();
        set_interrupt_mode(InterruptMode::wait);
    }
};

// A signal every 5 ms (without SA_RESTART) does not cut a pause short.
TEST(Interrupt, APauseLastsThroughTheSignalsThatInterruptIt) {
    struct sigaction quiet {}, previous{};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    ASSERT_EQ(sigaction(SIGALRM, &quiet, &previous), 0);
    itimerval tick{{0, 5000}, {0, 5000}}, off{};
    setitimer(ITIMER_REAL, &tick, nullptr);
    const auto start = std::chrono::steady_clock::now();
    pause_ms(60);
    const auto took = std::chrono::steady_clock::now() - start;
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(took, std::chrono::milliseconds(60));
}

// What a press left behind is forgotten at the next prompt, in every mode: a
// guarded press after it only warns again.
TEST(Interrupt, ClearingForgetsEveryPress) {
    Presses presses;
    for (InterruptMode mode : {InterruptMode::line, InterruptMode::wait, InterruptMode::guarded}) {
        set_interrupt_mode(mode);
        interrupt_pressed(1000);
        clear_interrupts();
        EXPECT_FALSE(take_line_interrupt()) << static_cast<int>(mode);
        EXPECT_FALSE(cancel_requested()) << static_cast<int>(mode);
        EXPECT_FALSE(take_interrupt_warning()) << static_cast<int>(mode);
    }
    interrupt_pressed(1500);
    EXPECT_FALSE(cancel_requested());
    EXPECT_TRUE(take_interrupt_warning());
}

TEST(Interrupt, ACtrlCDuringThePowerOnWaitCancelsTheConnect) {
    Presses presses;
    ShellState shell;
    ScriptedDevice device;
    device.powers_on = false;
    MemoryLink* link = use_memory_link(shell.port, &device);
    link->presses_ms = {5000};
    StringSink out;
    const bool connected = connect_device(shell.port, "COM3", 57600, false, out);
    const std::string text = out.take();
    EXPECT_FALSE(connected);
    EXPECT_FALSE(link->is_open);
    EXPECT_EQ(link->now_ms(), 5000);  // not the 20 s of the wait
    EXPECT_NE(text.find("You have 20 seconds to do this...\n\a\aError: connect cancelled by Ctrl-C!\n"),
              std::string::npos)
        << visible(text);
    EXPECT_EQ(text.find("did not receive"), std::string::npos) << visible(text);
    shell.port.set_driver(nullptr);
}

class InterruptDownload : public DownloadLinkTest {};

TEST_F(InterruptDownload, ACtrlCWhileWaitingForAnAnswerEndsTheDownloadAndTheConnection) {
    Presses presses;
    shell.station.config_processed = 1;
    shell.station.rules_processed = 1;
    device.script(2, {SILENT});
    link->presses_ms = {link->now_ms() + 1000};
    ConsoleInput no_answers(shell.console, "");
    ShellOutput out(shell);
    char args[] = "";
    EXPECT_EQ(cmd_download(shell, args), CommandOutcome::failed);
    EXPECT_EQ(visible(out.text()), visible("\a\aError: download cancelled by Ctrl-C\n"
                                           "\a\aError: writing data pkt: -4\n"
                                           "\a\aError: writing Configuration file failed: -3\n"
                                           "\a\aError: Download failed: -2\n"
                                           "\a\aPlease Power OFF the Korrimatic and power it back on to RESET it.\n"
                                           "Disconnected\n"));
    EXPECT_EQ(device.packets.size(), 3u);  // nothing after the packet that waited
    EXPECT_EQ(shell.connected, 0);
    EXPECT_FALSE(link->is_open);
}

const std::string CANCELLED = "\n\a\aError: Firmware update cancelled by Ctrl-C!\nDisconnected\n";
const std::string WARNING =
    "\n\a\aWarning: stopping now leaves the Korrimatic without working firmware!\n"
    "Press Ctrl-C again within 3 seconds to stop.\n";

struct FirmwareCase {
    const char* what;
    bool cancel_at_enter;         // Ctrl-C at "Type the Enter key"
    std::deque<int64_t> presses;  // virtual times, from the port's open
    int result;
    int lines_received;           // record lines the loader got
    int warnings;
    std::string ends_with;
    int64_t prompt_ms = 3000;     // the loader's prompt, from the port's open
};

TEST(Interrupt, FirmwareUpdate) {
    // Forty record lines and the end record, each answered 110 ms after it
    // was written: the loader's prompt comes at 3000 ms, the transfer starts
    // at about 3100 ms and takes about 4.5 s.
    std::string hex;
    for (int i = 0; i < 40; ++i) hex += data_record(static_cast<uint16_t>(i * 16), 16) + "\n";
    hex += ":00000001FF\n";
    TempFile file(hex);
    const FirmwareCase cases[] = {
        {"at the Enter: cancelled before the port is used", true, {}, -17, 0, 0, CANCELLED},
        {"during the power-on wait", false, {1500}, -17, 0, 0, CANCELLED},
        {"one press during the transfer only warns", false, {3400}, 0, 41, 1, "\nDisconnected\n"},
        {"two presses 4 s apart warn twice", false, {3400, 7500}, 0, 41, 2, "\nDisconnected\n"},
        {"the first press of an update that began at once only warns", false, {1500}, 0, 41, 1, "\nDisconnected\n",
         400},
        {"a second press within 3 s stops at the line reached", false, {3400, 4000}, -17, 8, 1,
         "\n\a\aError: Firmware update stopped by Ctrl-C on Line 8 (7 of 41 record lines accepted)- aborting!\n"
         "Disconnected\n"},
        {"two presses in the quiet after the last answer: no success", false, {8000, 8500}, -17, 41, 1,
         "\n\a\aError: Firmware update stopped by Ctrl-C on Line 41 (41 of 41 record lines accepted)- aborting!\n"
         "Disconnected\n"},
    };
    for (const FirmwareCase& c : cases) {
        Presses presses;
        ShellState shell;
        LoaderBench bench(shell.port);
        bench.device.prompt_delay_ms = c.prompt_ms;
        for (int line = 1; line <= 41; ++line) bench.device.late[line] = {110};
        for (int64_t at : c.presses) bench.link->presses_ms.push_back(at);
        StringSink out;
        const int result = firmware_update(
            shell.port, "COM3", file.path().c_str(),
            [&c] {
                if (c.cancel_at_enter) request_cancel();
            },
            bench.clock, out);
        const std::string text = out.take();
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(static_cast<int>(bench.device.lines.size()), c.lines_received) << c.what;
        int warnings = 0;
        for (std::size_t at = text.find(WARNING); at != std::string::npos; at = text.find(WARNING, at + 1)) ++warnings;
        EXPECT_EQ(warnings, c.warnings) << c.what << "\n" << visible(text);
        ASSERT_GE(text.size(), c.ends_with.size()) << c.what;
        EXPECT_EQ(visible(text.substr(text.size() - c.ends_with.size())), visible(c.ends_with)) << c.what;
        EXPECT_FALSE(bench.link->is_open) << c.what;
    }
}

}  // namespace
