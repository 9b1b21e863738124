// The firmware command: its refusals, argument messages and confirmation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "firmware/hex_files.hpp"
#include "firmware/loader_device.hpp"
#include "shell/commands.hpp"
#include "shell/console.hpp"
#include "shell/shell_state.hpp"
#include "support/capture.hpp"
#include "support/run_program.hpp"
#include "support/shell_output.hpp"

namespace {

const std::string QUESTION =
    "\a\aWARNING! This will alter the Korrimatic firmware!\nDo you want to continue (n or y)? [n]: ";
const std::string NOT_UPDATED = "Korrimatic Firmware will NOT be updated!\n";
const std::string SUCCEEDED =
    "\a\aFirmware update succeeded!\n\nPower cycle Korrimatic!\n"
    "Don't forget to Configure Operating Parameters, Process Rules\n"
    "and Download these to the Korrimatic!\n";
const std::string FAILED = "Error: Firmware update failed!\n\tPower cycle Korrimatic and try again!\n";
const std::string UNTOUCHED = "\tNothing reached the Korrimatic: its firmware was not touched.\n";

struct CommandRun {
    std::string out;
    std::string rest_of_input;  // what the console still holds afterwards
};

class FirmwareCommand : public testing::Test {
protected:
    // Capture: ShellOutput where only the shell prints, ShellOutput where the
    // update itself prints too.
    template <typename Capture = ShellOutput>
    CommandRun run_command(const std::string& args, const std::string& input) {
        ConsoleInput console(shell.console, input);
        char line[256];
        std::snprintf(line, sizeof line, "%s", args.c_str());
        Capture capture(shell);
        cmd_firmware(shell, line);
        CommandRun run{capture.text(), ""};
        std::string next;
        while (console_read_line(shell.console.in, next)) run.rest_of_input += next + "\n";
        return run;
    }

    ShellState shell;
};

TEST_F(FirmwareCommand, RefusalsAndArgumentMessages) {
    struct Case {
        const char* name;
        int connected;
        std::string args;
        std::string out;
    } cases[] = {
        {"while connected", 1, "3 k.hex", "\a\aError: already Connected, Disconnect first!\n"},
        {"no arguments", 0, "", "\a\aError: missing arguments: com_port file_name\n"},
        {"separators only", 0, " ,\t", "\a\aError: missing arguments: com_port file_name\n"},
        {"invalid port", 0, "21 k.hex", "\a\aError: invalid COM port number (1..20): 21\n"},
        {"port word", 0, "comx k.hex", "\a\aError: invalid COM port number (1..20): comx\n"},
        {"no file name", 0, "COM3", "\a\aError: missing argument: file_name\n"},
        {"no file name after a comma", 0, "3,\t,", "\a\aError: missing argument: file_name\n"},
    };
    for (const Case& c : cases) {
        shell.connected = c.connected;
        LoaderBench bench(shell.port);
        CommandRun run = run_command<ShellOutput>(c.args, "y\n");
        EXPECT_EQ(visible(run.out), visible(c.out)) << c.name;
        EXPECT_EQ(run.rest_of_input, "y\n") << c.name << ": no question was asked";
        EXPECT_EQ(bench.link->open_count, 0) << c.name;
        EXPECT_EQ(shell.connected, c.connected) << c.name;
    }
}

TEST_F(FirmwareCommand, OnlyAnAnswerBeginningWithYProceeds) {
    TempFile file(hex_file_of(3), "my firmware.hex");
    struct Case {
        const char* name;
        std::string input;
        std::string out;
        std::string rest;
    } cases[] = {
        {"an empty answer", "\nhelp\n", QUESTION + NOT_UPDATED, "help\n"},
        {"no", "no\n", QUESTION + NOT_UPDATED, ""},
        {"a blank before the y", " y\n", QUESTION + NOT_UPDATED, ""},
        {"end of input", "", QUESTION + "\n" + NOT_UPDATED, ""},
        {"a long answer is consumed whole", "n" + std::string(60, 'o') + " help\nx\n", QUESTION + NOT_UPDATED,
         "x\n"},
    };
    for (const Case& c : cases) {
        LoaderBench bench(shell.port);
        CommandRun run = run_command<ShellOutput>("COM3 " + file.path(), c.input);
        EXPECT_EQ(visible(run.out), visible(c.out)) << c.name;
        EXPECT_EQ(run.rest_of_input, c.rest) << c.name;
        EXPECT_EQ(bench.link->open_count, 0) << c.name;
    }
    EXPECT_EQ(std::string(shell.firmware_file), file.path());
}

TEST_F(FirmwareCommand, ReportsSuccessAndFailure) {
    TempFile file(hex_file_of(3), "my firmware.hex");
    for (const char* answer : {"y", "Yes, go on"}) {
        LoaderBench bench(shell.port);
        // The answer line, then the Enter line before power-on; the command
        // line after them stays for the shell.
        CommandRun run = run_command("3\t" + file.path() + "\textra", std::string(answer) + "\n\nhelp\n");
        EXPECT_EQ(run.out.rfind(QUESTION, 0), 0u) << answer;
        EXPECT_NE(run.out.find("Disconnected\n" + SUCCEEDED), std::string::npos) << visible(run.out);
        EXPECT_EQ(run.rest_of_input, "help\n");
        EXPECT_EQ(bench.device.acknowledged, 3);
        EXPECT_EQ(shell.connected, 0);
    }
    LoaderBench bench(shell.port);
    bench.device.answers[2] = {0x18};
    CommandRun run = run_command("3 " + file.path(), "y\n\n");
    std::string end = "\n\a\aError: Firmware updating error: fatal on Line 2- aborting!\nDisconnected\n" + FAILED;
    ASSERT_GE(run.out.size(), end.size());
    EXPECT_EQ(visible(run.out.substr(run.out.size() - end.size())), visible(end));

    TempFile bad(":00000006FA\n");
    run = run_command("3 " + bad.path(), "Y\n\n");
    EXPECT_EQ(visible(run.out), visible(QUESTION + "\a\aError: invalid type (06) for line 1 in Firmware file!\n" +
                                        "\a\aError: Firmware file has some kind of error!\n" + FAILED));
}

// At a terminal the file is checked before the question, and a failure that
// sent nothing says that the device was not touched.
TEST_F(FirmwareCommand, AtATerminalTheFileIsCheckedFirst) {
    TempFile good(hex_file_of(3), "fw.hex");
    TempFile cut(data_record(0, 16) + "\n", "cut.hex");
    const std::string missing = good.path() + ".missing";
    enum Fault { none, port, silent, fatal };
    struct Case {
        const char* name;
        std::string file;
        Fault fault;
        std::string begin;  // the output begins with it
        std::string end;    // and ends with it
        std::string rest;   // of the input
    } cases[] = {
        {"a missing file", missing, none, "", "\a\aError: cannot open " + missing + "\n" + FAILED + UNTOUCHED, "y\n\n"},
        {"a file cut short", cut.path(), none, "",
         "\a\aError: no end-of-file record: the file may be cut short after line 1 in Firmware file!\n"
         "\a\aError: Firmware file has some kind of error!\n" + FAILED + UNTOUCHED,
         "y\n\n"},
        {"a port that cannot be opened", good.path(), port, QUESTION, FAILED + UNTOUCHED, "\n"},
        {"no prompt", good.path(), silent, QUESTION, "Disconnected\n" + FAILED + UNTOUCHED, ""},
        {"lines sent, then fatal", good.path(), fatal, QUESTION, "Disconnected\n" + FAILED, ""},
        {"a good file", good.path(), none, QUESTION, "Disconnected\n" + SUCCEEDED, ""},
    };
    for (const Case& c : cases) {
        shell.console.terminal_forced = true;
        LoaderBench bench(shell.port);
        bench.link->fail_open = c.fault == port;
        if (c.fault == silent) bench.device.prompt.clear();
        if (c.fault == fatal) bench.device.answers[2] = {0x18};
        CommandRun run = run_command("3 " + c.file, "y\n\n");
        EXPECT_EQ(run.out.rfind(c.begin, 0), 0u) << c.name << visible(run.out);
        ASSERT_GE(run.out.size(), c.end.size()) << c.name;
        EXPECT_EQ(visible(run.out.substr(run.out.size() - c.end.size())), visible(c.end)) << c.name;
        EXPECT_EQ(run.rest_of_input, c.rest) << c.name;
        if (c.begin.empty()) {
            EXPECT_EQ(bench.link->open_count, 0) << c.name;
        }
    }
}

}  // namespace
