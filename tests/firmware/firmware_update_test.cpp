// The firmware update driver against a scripted loader on the in-memory line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <set>
#include <string>

#include "firmware/firmware_update.hpp"
#include "firmware/firmware_update_answers.hpp"
#include "firmware/hex_files.hpp"
#include "firmware/loader_device.hpp"
#include "shell/console.hpp"
#include "shell/shell_state.hpp"
#include "support/capture.hpp"
#include "support/shell_output.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"

namespace {

const std::string BEFORE_PROMPT =
    "\n\a\aWARNING! The Korrimatic Firmware is about to be updated!\n"
    "This will take less than 5 minutes.\n"
    "Do NOT interrupt the process once started!\n"
    "If power is interrupted during this process you may not be able\n"
    "to communicate with the Korrimatic due to firmware corruption.\n"
    "If this happens correct the power problem and restart this entire process.\n\n"
    "Type the Enter key when you are ready to continue..."
    "\nTo begin TURN ON the Korrimatic or CYCLE THE POWER if it is already on.\n"
    "\a\aYou have 20 seconds to do this...";
const std::string CONNECTED = "\a\nConnected at 19200\n";
const std::string NO_PROMPT = "\n\a\aError: did not receive the Korrimatic Firmware prompt!\n";

struct UpdateRun {
    int result;
    std::string out;
};

// The port layer's messages and the update's own, in the order printed: both
// go to the shell's sink.
UpdateRun run_update(ShellState& shell, const LoaderBench& bench, const std::string& path, int port = 3) {
    ConsoleInput enter(shell.console, "\n");
    ShellOutput capture(shell);
    int result = firmware(shell.port, port, path.c_str(), shell.port_name, sizeof shell.port_name,
                          [&shell] { console_wait_for_enter(shell); }, bench.clock, *shell.out);
    return {result, capture.text()};
}

std::string progress(int64_t elapsed, long done, long total) { return firmware_progress_line(elapsed, done, total); }

TEST(FirmwareUpdate, SendsEveryRecordLineAndEndsDisconnected) {
    std::string record128 = data_record(0x0100, 128);
    ASSERT_EQ(record128.size(), 267u);
    TempFile file("# sample\r\n:020000040000FA\r\n" + record128 + "\r\n:00000001FF\r\n");
    ShellState shell;
    LoaderBench bench(shell.port);
    UpdateRun run = run_update(shell, bench, file.path());
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(std::string(shell.port_name), "COM3");
    EXPECT_EQ(bench.link->opened_name, "COM3");
    EXPECT_EQ(bench.link->settings.baud_rate, 19200u);
    EXPECT_EQ(bench.link->close_count, 1);
    EXPECT_FALSE(bench.link->is_open);

    // SYN, the identification, then each record line whole with CR, no LF,
    // and nothing after the last one.
    std::vector<std::vector<uint8_t>> expected = {
        {FIRMSYNC},
        {'K', 'o', 'r', 'M', 'a', 't', '1', '.', '0'},
    };
    for (std::string line : {std::string(":020000040000FA"), record128, std::string(":00000001FF")}) {
        line += '\r';
        expected.emplace_back(line.begin(), line.end());
    }
    EXPECT_EQ(bench.link->host_writes, expected);

    std::string tail = "\n\n" + progress(0, 1, 3) + progress(0, 2, 3) + progress(0, 3, 3) + "\nDisconnected\n";
    EXPECT_EQ(visible(run.out), visible(BEFORE_PROMPT + CONNECTED + tail));
}

// What follows the sync's ACK is dropped, however short, and said.
TEST(FirmwareUpdate, SurplusBytesAfterTheSyncAreDroppedWithAWarning) {
    TempFile file(hex_file_of(2));
    for (const std::string extra : {"\x06", "\x06\x15x"}) {
        ShellState shell;
        LoaderBench bench(shell.port);
        bench.device.after_sync_ack = extra;
        UpdateRun run = run_update(shell, bench, file.path());
        EXPECT_EQ(run.result, 0) << extra.size();
        const std::string warning = "\n\a\aWarning: " + std::to_string(extra.size()) +
                                    " unexpected bytes from the Korrimatic before the ";
        EXPECT_EQ(run.out.find(CONNECTED + warning), BEFORE_PROMPT.size()) << visible(run.out);
    }
}

TEST(FirmwareUpdate, FailuresBeforeThePortNeverOpenIt) {
    TempFile bad(":0400120001020304E0\n");
    ScratchDir scratch;
    const std::string fifo = scratch.path("fifo.hex");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // no writer: opening it must not wait
    struct Case {
        const char* name;
        const char* path;
        int result;
        std::string out;
    } cases[] = {
        {"no file name", nullptr, -1, "firmware: Error: param filename is invalid\n"},
        {"no such file", "/nonexistent/k.hex", -2, "\a\aError: cannot open /nonexistent/k.hex\n"},
        {"a faulty file", bad.path().c_str(), -4,
         "\a\aError: data record offset boundary error for line 1 in Firmware file!\n"
         "\a\aError: Firmware file has some kind of error!\n"},
        {"a folder", "/tmp", -2, "\a\aError: cannot open /tmp\n"},
        {"an endless device", "/dev/zero", -2, "\a\aError: cannot open /dev/zero\n"},
        {"a FIFO", fifo.c_str(), -2, "\a\aError: cannot open " + fifo + "\n"},
        {"a file that fails its read", "/proc/self/mem", -2, "\a\aError: cannot read /proc/self/mem\n"},
    };
    for (const Case& c : cases) {
        ShellState shell;
        LoaderBench bench(shell.port);
        StringSink out;
        int result = firmware(shell.port, 3, c.path, shell.port_name, sizeof shell.port_name,
                              [&shell] { console_wait_for_enter(shell); }, bench.clock, out);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(visible(out.take()), visible(c.out)) << c.name;
        EXPECT_EQ(bench.link->open_count, 0) << c.name;
    }

    TempFile good(hex_file_of(2));
    ShellState shell;
    LoaderBench bench(shell.port);
    bench.link->fail_open = true;
    UpdateRun run = run_update(shell, bench, good.path(), 12);
    EXPECT_EQ(run.result, -5);
    EXPECT_EQ(visible(run.out), visible("\a\aError: cannot open COM port COM12: memory link error 0\n"
                                        "\a\aError: could not open COM port COM12\n"));
}

TEST(FirmwareUpdate, CatchesThePromptAmongTheFirstFourBytes) {
    TempFile file(hex_file_of(2));
    struct Case {
        const char* name;
        std::vector<uint8_t> prompt;
        int64_t delay_ms;
        int result;
        std::string after;  // what follows the power-on message, up to "Disconnected"
    } cases[] = {
        {"ENQ alone", {0x05}, 3000, 0, ""},
        {"ENQ third of four", {0x00, 0x41, 0x05, 0x13}, 19000, 0, ""},
        {"ENQ fourth of four", {0x41, 0x42, 0x43, 0x05}, 500, 0, ""},
        {"ENQ fifth", {0x41, 0x42, 0x43, 0x44, 0x05}, 500, -6, NO_PROMPT + "Got 4: 0x41 0x42 0x43 0x44\n"},
        {"silence", {}, 0, -6, NO_PROMPT + "No data was read!\n"},
        {"ENQ too late", {0x05}, 20500, -6, NO_PROMPT + "No data was read!\n"},
        {"one stray byte", {0x85}, 500, -6, NO_PROMPT + "Got 1: 0x85\n"},
        {"two stray bytes", {0x85, 0xFF}, 500, -6, NO_PROMPT + "Got 2: 0x85 0xff\n"},
        {"three stray bytes", {0x01, 0x02, 0x03}, 500, -6, NO_PROMPT + "Got 3: 0x01 0x02 0x03\n"},
    };
    for (const Case& c : cases) {
        ShellState shell;
        LoaderBench bench(shell.port);
        bench.device.prompt = c.prompt;
        bench.device.prompt_delay_ms = c.delay_ms;
        UpdateRun run = run_update(shell, bench, file.path());
        EXPECT_EQ(run.result, c.result) << c.name;
        ASSERT_EQ(run.out.rfind(BEFORE_PROMPT, 0), 0u) << c.name;
        std::string after = run.out.substr(BEFORE_PROMPT.size());
        if (c.result == 0) {
            EXPECT_EQ(after.rfind(CONNECTED, 0), 0u) << c.name << visible(after);
        } else {
            EXPECT_EQ(visible(after), visible(c.after + "Disconnected\n")) << c.name;
            EXPECT_TRUE(bench.link->host_writes.empty()) << c.name;
        }
        EXPECT_EQ(bench.link->close_count, 1) << c.name;
    }
}

// A line that keeps sending is drained in 1024-byte reads up to its bound,
// with a warning, and the update goes on.
TEST(FirmwareUpdate, ALineThatKeepsSendingIsLeftWithAWarning) {
    TempFile file(hex_file_of(2));
    ShellState shell;
    LoaderBench bench(shell.port);
    bench.device.when_opened = [&bench] { bench.link->device_send(std::string(70000, 'x'), 1); };
    UpdateRun run = run_update(shell, bench, file.path());
    EXPECT_EQ(run.result, 0);
    const std::string warning = "\a\aWarning: the line of COM port COM3 keeps sending (65536 bytes discarded), going on\n";
    EXPECT_EQ(visible(run.out.substr(0, warning.size() + BEFORE_PROMPT.size())), visible(warning + BEFORE_PROMPT));
}

TEST(FirmwareUpdate, SyncAndIdentificationFailures) {
    TempFile file(hex_file_of(2));
    struct Case {
        const char* name;
        void (*arrange)(LoaderBench&);
        int result;
        std::string after;
    } cases[] = {
        {"the sync character cannot be written", [](LoaderBench& b) { b.link->fail_write = true; }, -7,
         "\a\aError: wrote 0 of 1, got error on port COM3: memory link error 0\n"
         "\n\a\aError: wrote FIRMSYNC sync character, got error on port COM3\n"},
        {"no ACK to the sync character", [](LoaderBench& b) { b.device.answer_sync = false; }, -8,
         "\n\a\aError: did not synchronize with the Korrimatic!\n"},
        {"the identification cannot be written", [](LoaderBench& b) { b.device.fail_writes_after_sync = true; }, -9,
         CONNECTED + "\a\aError: wrote 0 of 9, got error on port COM3: memory link error 0\n"
                     "\n\a\aError: wrote KorMat1.0 identifier, got error on port COM3\n"},
        {"no ACK to the identification", [](LoaderBench& b) { b.device.answer_ident = false; }, -10,
         CONNECTED + "\n\a\aError: did not receive KorMat identifier acknowledgement!\n"},
        {"a record line cannot be written", [](LoaderBench& b) { b.device.fail_writes_after_ident = true; }, -11,
         CONNECTED + "\n\n\a\aError: wrote 0 of 44, got error on port COM3: memory link error 0\n"
                     "\a\aError: wrote FIRMSYNC attention character, got error on port COM3\n"},
    };
    for (const Case& c : cases) {
        ShellState shell;
        LoaderBench bench(shell.port);
        c.arrange(bench);
        UpdateRun run = run_update(shell, bench, file.path());
        EXPECT_EQ(run.result, c.result) << c.name;
        EXPECT_EQ(visible(run.out), visible(BEFORE_PROMPT + c.after + "Disconnected\n")) << c.name;
        EXPECT_EQ(bench.link->close_count, 1) << c.name;
    }
}

TEST(FirmwareUpdate, AnswerTableResendsTheSameLine) {
    // Line 3 of the file is the second record line.
    TempFile file(data_record(0, 4) + "\n; comment\n" + data_record(4, 4) + "\n:00000001FF\n");
    ShellState shell;
    LoaderBench bench(shell.port);
    bench.device.answers[2] = {0x00, 0x11, 0x12, 0x15, 0x85};
    UpdateRun run = run_update(shell, bench, file.path());
    EXPECT_EQ(run.result, 0);
    ASSERT_EQ(bench.device.lines.size(), 8u);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(bench.device.lines[i], data_record(4, 4) + "\r");
    std::string expected = CONNECTED + "\n\n" + progress(0, 1, 3) +
                           "\n\a\aError: Firmware updating error: timed out on Line 3, resending.\n"
                           "\n\a\aError: Firmware updating error: didn't get start character on Line 3, resending.\n"
                           "\n\a\aError: Firmware updating error: bad record checksum on Line 3, resending.\n"
                           "\n\a\aError: Firmware updating error: validation on Line 3, resending.\n"
                           "\n\a\aError: Firmware updating error: unknown (0x85) on Line 3, resending.\n" +
                           progress(2, 2, 3) + progress(2, 3, 3) + "\nDisconnected\n";
    EXPECT_EQ(visible(run.out), visible(BEFORE_PROMPT + expected));
}

// An answer that comes after the window but within the loader's limit
// answers its own transmission; only silence for the whole limit has the
// line sent again, and bytes no transmission is waiting for end the update.
TEST(FirmwareUpdate, EveryAnswerBelongsToItsOwnTransmission) {
    const std::string timed_out = "\n\a\aError: Firmware updating error: timed out on Line 2, resending.\n";
    const std::string checksum = "\n\a\aError: Firmware updating error: bad record checksum on Line 2, resending.\n";
    const int64_t limit = LOADER_ANSWER_LIMIT_MS;
    struct Case {
        const char* name;
        std::map<int, std::deque<uint8_t>> answers;
        std::map<int, std::deque<int64_t>> late;
        std::vector<int> sent;  // the record lines sent, in order
        int result;
        std::string messages;   // every error message, in order
        std::set<int> doubled = {};  // lines whose answers are sent twice
    } cases[] = {
        {"a late ACK", {}, {{2, {150}}}, {1, 2, 3}, 0, ""},
        {"an ACK just within the limit", {}, {{2, {limit - 1}}}, {1, 2, 3}, 0, ""},
        {"a loader 350 ms late on every line", {}, {{1, {350}}, {2, {350}}, {3, {350}}}, {1, 2, 3}, 0, ""},
        {"a late error byte", {{2, {0x12}}}, {{2, {300}}}, {1, 2, 2, 3}, 0, checksum},
        {"silence for the whole limit", {{2, {0x00}}}, {}, {1, 2, 2, 3}, 0, timed_out},
        // Beyond the assumption: the ACK comes after the limit and is taken
        // for the resend's, whose own ACK is then one too many.
        {"an ACK after the limit", {}, {{2, {limit + 100}}}, {1, 2, 2}, -18,
         timed_out + "\n\a\aError: Firmware updating error: 1 unexpected bytes on Line 3, an answer may have been "
                     "taken for the wrong line- aborting!\n"},
        {"an ACK after the limit on the last line", {}, {{3, {limit + 100}}}, {1, 2, 3, 3}, -19,
         "\n\a\aError: Firmware updating error: timed out on Line 3, resending.\n"
         "\n\a\aError: Firmware updating error: 1 bytes came after the last answer, an answer was taken for the "
         "wrong line!\n"},
        {"a doubled error answer", {{2, {0x12}}}, {{2, {300}}}, {1, 2}, -18,
         "\n\a\aError: Firmware updating error: 1 unexpected bytes on Line 2, an answer may have been taken for "
         "the wrong line- aborting!\n",
         {2}},
    };
    const std::string records[] = {data_record(0, 4), data_record(4, 4), ":00000001FF"};
    TempFile file(records[0] + "\n" + records[1] + "\n" + records[2] + "\n");
    for (const Case& c : cases) {
        ShellState shell;
        LoaderBench bench(shell.port);
        bench.device.answers = c.answers;
        bench.device.late = c.late;
        bench.device.doubled = c.doubled;
        UpdateRun run = run_update(shell, bench, file.path());
        EXPECT_EQ(run.result, c.result) << c.name << visible(run.out);
        std::vector<std::string> sent;
        for (int n : c.sent) sent.push_back(records[n - 1] + "\r");
        EXPECT_EQ(bench.device.lines, sent) << c.name;
        std::string messages;
        const std::string head = "\n\a\aError: ";
        for (auto at = run.out.find(head); at != std::string::npos; at = run.out.find(head, at + 1)) {
            messages += run.out.substr(at, run.out.find('\n', at + 1) - at + 1);
        }
        EXPECT_EQ(visible(messages), visible(c.messages)) << c.name;
    }
}

// Each record line sent is held against the line verified: a file changed
// between its check and its sending (during the Enter wait) is not sent on.
TEST(FirmwareUpdate, AFileChangedAfterItsCheckEndsTheUpdate) {
    const std::string checked = data_record(0, 4) + "\n" + data_record(4, 4) + "\n:00000001FF\n";
    struct Case {
        const char* name;
        std::string changed_to;
        std::size_t lines_sent;
        std::string message;
    } cases[] = {
        {"cut short", data_record(0, 4) + "\n", 1, "changed since it was checked: line 2- aborting!\n"},
        {"a line changed", data_record(0, 4) + "\n" + data_record(8, 4) + "\n:00000001FF\n", 1,
         "changed since it was checked: line 2- aborting!\n"},
        {"a record line more", checked + ":00000001FF\n", 3, "changed since it was checked: line 4- aborting!\n"},
    };
    for (const Case& c : cases) {
        TempFile file(checked, "fw.hex");
        ShellState shell;
        LoaderBench bench(shell.port);
        bench.device.when_opened = [&] {
            std::FILE* f = std::fopen(file.path().c_str(), "wb");
            std::fwrite(c.changed_to.data(), 1, c.changed_to.size(), f);
            std::fclose(f);
        };
        UpdateRun run = run_update(shell, bench, file.path());
        EXPECT_EQ(run.result, -16) << c.name;
        EXPECT_EQ(bench.device.lines.size(), c.lines_sent) << c.name;
        const std::string end = "\n\a\aError: Firmware file " + file.path() + " has " + c.message + "Disconnected\n";
        ASSERT_GE(run.out.size(), end.size()) << c.name;
        EXPECT_EQ(visible(run.out.substr(run.out.size() - end.size())), visible(end)) << c.name;
    }
}

TEST(FirmwareUpdate, AbortsOnBufferFullFatalAndTheTenthError) {
    TempFile file(hex_file_of(6));
    struct Case {
        const char* name;
        std::map<int, std::deque<uint8_t>> answers;
        int result;
        std::size_t transmissions;
        std::string message;
    } cases[] = {
        {"buffer full as the first error", {{2, {0x17}}}, -14, 2,
         "\n\a\aError: Firmware updating error: buffer full on Line 2- aborting!\n"},
        {"fatal", {{3, {0x12, 0x18}}}, -13, 4, "\n\a\aError: Firmware updating error: fatal on Line 3- aborting!\n"},
        {"the tenth error, spread over lines, even when it is fatal",
         {{1, {0x12, 0x12, 0x12}}, {2, {0x00, 0x00, 0x00}}, {4, {0x15, 0x15, 0x15, 0x18}}}, -12, 13,
         "\n\a\aError: maximum Firmware updating errors (10) encountered- aborting!\n"},
    };
    for (const Case& c : cases) {
        ShellState shell;
        LoaderBench bench(shell.port);
        bench.device.answers = c.answers;
        UpdateRun run = run_update(shell, bench, file.path());
        EXPECT_EQ(run.result, c.result) << c.name;
        EXPECT_EQ(bench.device.lines.size(), c.transmissions) << c.name;
        std::string end = c.message + "Disconnected\n";
        ASSERT_GE(run.out.size(), end.size()) << c.name;
        EXPECT_EQ(visible(run.out.substr(run.out.size() - end.size())), visible(end)) << c.name;
        EXPECT_EQ(bench.link->close_count, 1) << c.name;
    }
}

TEST(FirmwareUpdate, NineErrorsAreSurvived) {
    TempFile file(hex_file_of(4));
    ShellState shell;
    LoaderBench bench(shell.port);
    bench.device.answers[1] = {0x12, 0x12, 0x12, 0x12, 0x12};
    bench.device.answers[4] = {0x00, 0x00, 0x00, 0x00};
    UpdateRun run = run_update(shell, bench, file.path());
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(bench.device.acknowledged, 4);
}

TEST(FirmwareProgress, LineText) {
    struct Case {
        int64_t elapsed;
        long done, total;
        std::string text;
    } cases[] = {
        {10, 50, 200, "\r 10s TTC  30s 25.0% " + std::string(14, '=')},
        {40, 200, 200, "\r 40s TTC   0s 100.0%" + std::string(59, '=')},
        {0, 1, 200, "\r  0s TTC   0s  0.5% "},
        {3, 1, 3, "\r  3s TTC   6s 33.3% " + std::string(19, '=')},
        {1000, 100, 200, "\r1000s TTC 1000s 50.0" + std::string(29, '=')},
        {1000, 1, 1000, "\r1000s TTC 999000s  0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(visible(firmware_progress_line(c.elapsed, c.done, c.total)), visible(c.text))
            << c.elapsed << " " << c.done << "/" << c.total;
    }
}

TEST(FirmwareProgress, DrawnFromTheInjectedClockAfterEachAcceptedLine) {
    TempFile file(hex_file_of(200));
    ShellState shell;
    LoaderBench bench(shell.port);
    // The clock moves one second for every five accepted lines.
    bench.clock = [&] { return static_cast<int64_t>(bench.device.acknowledged / 5); };
    UpdateRun run = run_update(shell, bench, file.path());
    EXPECT_EQ(run.result, 0);
    std::string at50 = "\r 10s TTC  30s 25.0% " + std::string(14, '=') + "\r";
    EXPECT_NE(run.out.find(at50), std::string::npos);
    std::string at200 = "\r 40s TTC   0s 100.0%" + std::string(59, '=') + "\nDisconnected\n";
    EXPECT_EQ(run.out.substr(run.out.size() - at200.size()), at200);
}

}  // namespace
