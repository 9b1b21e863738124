// Every branch of the connect handshake, over the in-memory driver with its
// virtual clock (the 20-second waits cost nothing).
#include "device/device_link.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "device/scripted_device.hpp"
#include "serial/serial_port.hpp"
#include "shell/shell_state.hpp"
#include "support/shell_output.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

const std::string TURN_ON =
    "\a\aTURN ON the Korrimatic or CYCLE THE POWER if it is already on.\nYou have 20 seconds to do this...";
const std::string HEADER = "Dec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef\n";

class ConnectTest : public testing::Test {
protected:
    void SetUp() override {
        device = ScriptedDevice{};
        link = use_memory_link(shell.port, &device);
        std::snprintf(shell.port_name, sizeof shell.port_name, "COM3");
    }
    void TearDown() override { shell.port.set_driver(nullptr); }

    // The port layer's own faults and the handshake's messages, in the order
    // printed: both go to the shell's sink.
    std::string connect(int32_t rate) {
        ShellOutput out(shell);
        connected = connect_device(shell.port, "COM3", rate, false, *shell.out);
        return out.text();
    }

    ShellState shell;
    ScriptedDevice device;
    MemoryLink* link = nullptr;
    bool connected = false;
};

TEST_F(ConnectTest, SucceedsAndEndsEachWaitOnceTheReplyHasSettled) {
    std::string out = connect(57600);
    EXPECT_EQ(out, "Connecting at 57600...\n" + TURN_ON + "\n\aConnected at 57600\n") << visible(out);
    EXPECT_TRUE(connected);
    EXPECT_TRUE(link->is_open);
    EXPECT_EQ(link->host_bytes(), std::vector<uint8_t>{0x03});
    EXPECT_EQ(link->purge_count, 2);  // after the open and after the drain
    // The power-on and the Connected reply end their reads 50 ms after their
    // last byte instead of at the 20 s and 2 s time-outs.
    ASSERT_GE(link->read_durations_ms.size(), 3u);
    EXPECT_LT(link->now_ms(), 1000);
}

struct FailCase {
    const char* what;
    std::function<void(ScriptedDevice&, MemoryLink&)> setup;
    std::string after_turn_on;  // what follows the TURN ON message
    int64_t min_ms;             // the virtual time the handshake must at least take
};

TEST_F(ConnectTest, EachFailurePrintsItsMessageAndClosesThePort) {
    const std::string no_ident = "\r\nAPRS Digipeater\r\n";
    const FailCase cases[] = {
        {"a silent device", [](ScriptedDevice& d, MemoryLink&) { d.powers_on = false; },
         "\n\a\aError: did not receive the Korrimatic prompt!\nExpected: Korrimatic\nGot: length 0 (0x0):\n", 20010},
        {"no identification word",
         [&](ScriptedDevice& d, MemoryLink&) { d.power_on = no_ident; },
         "\n\a\aError: did not receive the Korrimatic prompt!\nExpected: Korrimatic\nGot: length 19 (0x13):\n" +
             HEADER + "   0 0000| 0d 0a 41 50 52 53 20 44   69 67 69 70 65 61 74 65 | ..APRS Digipeate\n"
                      "  16 0010| 72 0d 0a" + std::string(42, ' ') + "| r..\n",
         20010},
        {"bytes above 0x7F show as '#'",
         [](ScriptedDevice& d, MemoryLink&) { d.power_on = "ab\xff\x80"; },
         "\n\a\aError: did not receive the Korrimatic prompt!\nExpected: Korrimatic\nGot: length 4 (0x4):\n" + HEADER +
             "   0 0000| 61 62 23 23" + std::string(39, ' ') + "| ab##\n",
         20010},
        {"no version", [](ScriptedDevice& d, MemoryLink&) { d.power_on = "\r\nKorrimatic APRS\r\n"; },
         "\n\a\aError: did not receive the Korrimatic version (minimum 2.4)!\n", 20010},
        {"the version only before the identification",
         [](ScriptedDevice& d, MemoryLink&) { d.power_on = "Version 2.5\r\nKorrimatic\r\n"; },
         "\n\a\aError: did not receive the Korrimatic version (minimum 2.4)!\n", 20010},
        {"version 2.3", [](ScriptedDevice& d, MemoryLink&) { d.power_on = "Korrimatic Version 2.3\r\n"; },
         "\n\a\aError: received Korrimatic version 2.3 but minimal is 2.4!\n", 0},
        {"version 1.9", [](ScriptedDevice& d, MemoryLink&) { d.power_on = "Korrimatic Version 1.9\r\n"; },
         "\n\a\aError: received Korrimatic version 1.9 but minimal is 2.4!\n", 0},
        {"version 2 without a minor number",
         [](ScriptedDevice& d, MemoryLink&) { d.power_on = "Korrimatic Version 2\r\nsee 1.7\r\n"; },
         "\n\a\aError: received Korrimatic version 2.0 but minimal is 2.4!\n", 0},
        {"ctrl-C cannot be written", [](ScriptedDevice&, MemoryLink& l) { l.fail_write = true; l.error_code = 4; },
         "\a\aError: wrote 0 of 1, got error on port COM3: memory link error 4\n"
         "\n\a\aError: wrote <ctrl>-c attention character, got error on port COM3\n",
         0},
        {"Connected at another rate",
         [](ScriptedDevice& d, MemoryLink&) { d.connected = "Connected 9600\r\nKorrim> "; },
         "\n\a\aError: did not receive the Korrimatic Connected string!\nExpected Connected 57600\n"
         "Got: length 24 (0x18):\n" + HEADER +
             "   0 0000| 43 6f 6e 6e 65 63 74 65   64 20 39 36 30 30 0d 0a | Connected 9600..\n"
             "  16 0010| 4b 6f 72 72 69 6d 3e 20                           | Korrim> \n",
         2010},
        {"a rate followed by another digit",
         [](ScriptedDevice& d, MemoryLink&) { d.connected = "Connected 576009\r\n"; },
         "\n\a\aError: did not receive the Korrimatic Connected string!\nExpected Connected 57600\n"
         "Got: length 18 (0x12):\n" + HEADER +
             "   0 0000| 43 6f 6e 6e 65 63 74 65   64 20 35 37 36 30 30 39 | Connected 576009\n"
             "  16 0010| 0d 0a" + std::string(45, ' ') + "| ..\n",
         2010},
        {"Connected in the rest of the power-on text is no answer to ctrl-C",
         [](ScriptedDevice& d, MemoryLink&) {
             d.power_on = "Korrimatic Version 2.5 " + std::string(80, '-') + "\r\nConnected 57600\r\n";
             d.answers_attention = false;
         },
         "\n\a\aError: did not receive the Korrimatic Connected string!\nExpected Connected 57600\n"
         "Got: length 0 (0x0):\n",
         2010},
        {"no answer to ctrl-C", [](ScriptedDevice& d, MemoryLink&) { d.answers_attention = false; },
         "\n\a\aError: did not receive the Korrimatic Connected string!\nExpected Connected 57600\n"
         "Got: length 0 (0x0):\n",
         2010},
        {"stale input is drained and never searched",
         [](ScriptedDevice& d, MemoryLink&) {
             d.stale = "Korrimatic Version 9.9\r\n";
             d.powers_on = false;
         },
         "\n\a\aError: did not receive the Korrimatic prompt!\nExpected: Korrimatic\nGot: length 0 (0x0):\n", 20010},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.setup(device, *link);
        std::string out = connect(57600);
        EXPECT_EQ(out, "Connecting at 57600...\n" + TURN_ON + c.after_turn_on) << visible(out);
        EXPECT_FALSE(connected);
        EXPECT_FALSE(link->is_open);
        EXPECT_EQ(link->close_count, 1);
        EXPECT_GE(link->now_ms(), c.min_ms);
    }
}

// What the console says after the reply the handshake waited for is read
// before the next exchange, which would otherwise take it for its answer.
TEST_F(ConnectTest, NothingOfTheConsoleIsLeftForTheNextExchange) {
    for (int64_t after_ms : {int64_t{0}, int64_t{353}, int64_t{490}}) {
        SCOPED_TRACE(after_ms);
        struct Chatty : ScriptedDevice {
            int64_t after = 0;
            void on_host_write(MemoryLink& l, const uint8_t* data, std::size_t count) override {
                ScriptedDevice::on_host_write(l, data, count);
                l.device_send("log: beacon sent\r\n", after);
            }
        } chatty;
        chatty.after = after_ms;
        link = use_memory_link(shell.port, &chatty);
        EXPECT_EQ(connect(57600), "Connecting at 57600...\n" + TURN_ON + "\n\aConnected at 57600\n");
        EXPECT_TRUE(connected);
        EXPECT_EQ(link->pending(), 0u);
    }
}

TEST_F(ConnectTest, AcceptedVersions) {
    for (const char* version : {"2.4", "2.10", "3.0", "3", "10.0", " 2.4"}) {
        SetUp();
        device.power_on = std::string("Korrimatic\r\nVersion ") + version + "\r\n";
        std::string out = connect(57600);
        EXPECT_TRUE(connected) << version << visible(out);
    }
}

// The power-on wait lasts 20 s from its start, 120 ms after the open (the
// drain of stale input): a text in its last millisecond is read, one a
// millisecond later is not.
TEST_F(ConnectTest, ThePowerOnWaitLastsTwentySeconds) {
    for (const auto& [power_on_ms, connects] : {std::pair{int64_t{20120}, true}, std::pair{int64_t{20121}, false}}) {
        SetUp();
        device.power_on_ms = power_on_ms;
        const std::string out = connect(57600);
        EXPECT_EQ(connected, connects) << power_on_ms << visible(out);
    }
}

TEST_F(ConnectTest, AFullPowerOnTextEndsTheReadByItsCount) {
    device.power_on = "Korrimatic Version 2.5 " + std::string(120, '-');
    connect(57600);
    EXPECT_TRUE(connected);
}

TEST_F(ConnectTest, AnIncompleteVersionWaitsForTheRest) {
    // "Version 2." then a pause longer than the settle time: the read must
    // not end before the minor number.
    struct Late : ScriptedDevice {
        void on_open(MemoryLink& l) override {
            ScriptedDevice::on_open(l);
            l.device_send("5\r\n", power_on_ms + 400);
        }
    } late;
    late.power_on = "Korrimatic Version 2.";
    link = use_memory_link(shell.port, &late);
    std::string out = connect(57600);
    EXPECT_TRUE(connected) << visible(out);
}

TEST_F(ConnectTest, OpenFailure) {
    link->fail_open = true;
    EXPECT_EQ(connect(9600), "Connecting at 9600...\n\a\aError: cannot open COM port COM3: memory link error 0\n"
                             "\a\aError: could not open COM port COM3\n");
    EXPECT_FALSE(connected);
}

}  // namespace
