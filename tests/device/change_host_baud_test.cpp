// The re-prompt, the baud change and the disconnect over the in-memory
// driver, and the argument checks of the three commands.
#include "device/device_link.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "station/config_record.hpp"
#include "device/scripted_device.hpp"
#include "serial/serial_port.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "support/run_program.hpp"
#include "support/shell_output.hpp"

namespace {

class ConnectedTest : public testing::Test {
protected:
    void SetUp() override {
        device = ScriptedDevice{};
        link = use_memory_link(shell.port, &device);
        std::snprintf(shell.port_name, sizeof shell.port_name, "COM3");
        ASSERT_EQ(open_port(shell.port, "COM3", 57600), 0);
        shell.connected = 1;
        shell.current_baud = 57600;
    }
    void TearDown() override {
        shell.port.set_driver(nullptr);
    }

    // Capture: ShellOutput where only the shell prints, ShellOutput where
    // the device link prints too.
    template <typename Capture = ShellOutput>
    std::string run(CommandHandler handler, const char* args) {
        char line[256];
        std::snprintf(line, sizeof line, "%s", args);
        Capture out(shell);
        outcome = handler(shell, line);
        return out.text();
    }
    std::string host_text() const {
        auto b = link->host_bytes();
        return std::string(b.begin(), b.end());
    }

    ShellState shell;
    ScriptedDevice device;
    MemoryLink* link = nullptr;
    CommandOutcome outcome = CommandOutcome::done;
};

TEST_F(ConnectedTest, BaudSendsTheRateCommandThenWaitsForThePrompt) {
    int64_t start = link->now_ms();
    EXPECT_EQ(run(cmd_baud, "38400"), "Connecting at 38400...\n\aConnected at 38400\n");
    EXPECT_EQ(host_text(), "host 38400\r\r");
    ASSERT_EQ(link->host_writes.size(), 2u);
    EXPECT_EQ(link->host_writes[0].size(), 11u);
    EXPECT_EQ(shell.connected, 1);
    EXPECT_EQ(shell.current_baud, 38400);
    EXPECT_TRUE(link->is_open);
    // The port keeps the rate it was opened at.
    EXPECT_EQ(link->settings.baud_rate, 57600u);
    EXPECT_EQ(link->open_count, 1);
    // The prompt ends the wait after its settle time, not after 20 s; the
    // drains of what the console says around the rate command take the rest.
    EXPECT_LT(link->now_ms() - start, 5000);
}

// What the console says after the prompt (past the reply's settle time) is
// read and dropped, not left for the next exchange.
TEST_F(ConnectedTest, NothingOfTheConsoleIsLeftAfterTheReprompt) {
    struct Chatty : ScriptedDevice {
        void on_host_write(MemoryLink& l, const uint8_t* data, std::size_t count) override {
            ScriptedDevice::on_host_write(l, data, count);
            l.device_send("log: beacon sent\r\n", 200);
        }
    } chatty;
    link = use_memory_link(shell.port, &chatty);
    ASSERT_EQ(open_port(shell.port, "COM3", 57600), 0);
    EXPECT_EQ(run(cmd_baud, "38400"), "Connecting at 38400...\n\aConnected at 38400\n");
    EXPECT_EQ(link->pending(), 0u);
}

TEST_F(ConnectedTest, RepromptFailures) {
    struct Case {
        const char* what;
        void (*fault)(ScriptedDevice&, MemoryLink&);
        std::string out;
        int64_t min_ms;
    } cases[] = {
        {"no prompt", [](ScriptedDevice& d, MemoryLink&) { d.answers_cr = false; },
         "Connecting at 19200...\n\a\aError: did not receive the Korrimatic prompt!\n", 20010},
        {"the prompt after the time-out", [](ScriptedDevice& d, MemoryLink&) { d.prompt_ms = 20600; },
         "Connecting at 19200...\n\a\aError: did not receive the Korrimatic prompt!\n", 20010},
        {"the prompt that answers the rate command is no answer to the CR",
         [](ScriptedDevice& d, MemoryLink&) { d.crs_answered = 1; },
         "Connecting at 19200...\n\a\aError: did not receive the Korrimatic prompt!\n", 20010},
        {"the rate command cannot be written",
         [](ScriptedDevice&, MemoryLink& l) { l.fail_write = true; },
         "\a\aError: wrote 0 of 11, got error on port COM3: memory link error 0\n"
         "\a\aError: wrote Host Baud command, got error on port COM3\n",
         0},
        {"the rate command is cut short",
         [](ScriptedDevice&, MemoryLink& l) { l.short_write_by = 1; },
         "\a\aError: wrote 10 of 11, got error on port COM3: write timed out\n"
         "\a\aError: wrote Host Baud command, got error on port COM3\n",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.fault(device, *link);
        int64_t start = link->now_ms();
        std::string out = run(cmd_baud, "19200");
        EXPECT_EQ(out, c.out) << visible(out);
        EXPECT_EQ(shell.connected, 0);
        EXPECT_FALSE(link->is_open);
        EXPECT_GE(link->now_ms() - start, c.min_ms);
    }
}

TEST_F(ConnectedTest, RepromptCrCannotBeWritten) {
    struct FailSecond : MemoryDevice {
        void on_host_write(MemoryLink& l, const uint8_t*, std::size_t) override { l.fail_write = true; }
    } dev;
    link = use_memory_link(shell.port, &dev);
    ASSERT_EQ(open_port(shell.port, "COM3", 57600), 0);
    EXPECT_EQ(run(cmd_baud, "4800"), "Connecting at 4800...\n"
                                     "\a\aError: wrote 0 of 1, got error on port COM3: memory link error 0\n"
                                     "\a\aError: wrote CR character, got error on port COM3\n");
    EXPECT_EQ(shell.connected, 0);
    EXPECT_FALSE(link->is_open);
}

TEST_F(ConnectedTest, DisconnectClosesAndSendsNothing) {
    EXPECT_EQ(run(cmd_disconnect, ""), "Disconnected\n");
    EXPECT_EQ(shell.connected, 0);
    EXPECT_FALSE(link->is_open);
    EXPECT_TRUE(link->host_writes.empty());
    EXPECT_EQ(run<ShellOutput>(cmd_disconnect, ""), "\a\aError: not Connected!\n");
}

TEST_F(ConnectedTest, CommandArgumentChecks) {
    struct Case {
        CommandHandler handler;
        const char* args;
        int32_t connected;
        std::string out;
    } cases[] = {
        {cmd_baud, "", 1, "\a\aError: missing argument: baud\n"},
        {cmd_baud, "300", 1, "\a\aError: invalid baud rate: 300\n"},
        {cmd_baud, "115200", 1, "\a\aError: invalid baud rate: 115200\n"},
        {cmd_baud, "9600", 0, "\a\aError: must be Connected before changing the Baud!\n"},
        {cmd_connect, "3", 1, "\a\aError: already Connected!\n"},
        {cmd_connect, "", 0, "\a\aError: missing argument: com_port\n"},
        {cmd_connect, " , ", 0, "\a\aError: missing argument: com_port\n"},
        {cmd_connect, "0", 0, "\a\aError: invalid COM port number (1..20): 0\n"},
        {cmd_connect, "com", 0, "\a\aError: invalid COM port number (1..20): com\n"},
        {cmd_connect, "21 9600", 0, "\a\aError: invalid COM port number (1..20): 21\n"},
        {cmd_connect, "3 115200", 0, "\a\aError: invalid baud rate: 115200\n"},
        {cmd_connect, "3,abc", 0, "\a\aError: invalid baud rate: 0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        SetUp();
        shell.connected = c.connected;
        EXPECT_EQ(run<ShellOutput>(c.handler, c.args), c.out);
        EXPECT_EQ(outcome, CommandOutcome::failed);
        EXPECT_EQ(shell.connected, c.connected);
        EXPECT_TRUE(link->host_writes.empty());
        EXPECT_EQ(link->open_count, 1);  // only the fixture's own open
    }
}

TEST_F(ConnectedTest, ConnectNamesThePortAndUsesTheDefaultRate) {
    close_port(shell.port);
    shell.connected = 0;
    std::string out = run(cmd_connect, "Com7x");
    EXPECT_EQ(std::string(shell.port_name), "COM7");
    EXPECT_EQ(shell.current_baud, 57600);
    EXPECT_EQ(link->opened_name, "COM7");
    EXPECT_EQ(shell.connected, 1) << visible(out);

    SetUp();
    close_port(shell.port);
    shell.connected = 0;
    shell.station.config.host_baud = 115200;
    shell.station.config_processed = 1;
    EXPECT_EQ(run<ShellOutput>(cmd_connect, "com3"), "\a\aError: invalid baud rate: 115200\n");
    // The rates of a file that failed are not in force: the default is used.
    shell.station.config_processed = 0;
    out = run(cmd_connect, "com3");
    EXPECT_EQ(shell.current_baud, 57600);
    EXPECT_EQ(shell.connected, 1) << visible(out);
    close_port(shell.port);
    shell.connected = 0;
    shell.station.config_processed = 1;
    shell.station.config.have_gps = 1;
    shell.station.config.gps_baud = 9600;
    device.connected = "Connected 9600";
    out = run(cmd_connect, "12");
    EXPECT_EQ(shell.current_baud, 9600);
    EXPECT_EQ(link->settings.baud_rate, 9600u);
    EXPECT_EQ(shell.connected, 1) << visible(out);
}

}  // namespace
