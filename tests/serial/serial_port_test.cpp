// The port operations over the in-memory driver: every failure step's code
// and message, the settings and time-outs applied, and the fatal path.
#include "serial/serial_port.hpp"
#include "serial/drain_input.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "shell/port_failure.hpp"
#include "text/sink.hpp"
#include "support/memory_link.hpp"
#include "support/run_program.hpp"

namespace {

class SerialPortTest : public testing::Test {
protected:
    void SetUp() override { link = use_memory_link(port); }
    StringSink sink;  // what the port prints
    SerialPort port{sink};
    MemoryLink* link = nullptr;
};

// A port moved into another takes its line whole: its name, its rate and the
// link its writes reach; the link the other held is closed with it.
TEST_F(SerialPortTest, AMovedPortKeepsItsLine) {
    ASSERT_EQ(open_port(port, "COM3", 9600), 0);
    StringSink other_sink;
    SerialPort other{other_sink};
    MemoryLink* other_link = use_memory_link(other);
    ASSERT_EQ(open_port(other, "COM4", 57600), 0);
    port = std::move(other);
    EXPECT_STREQ(port.name(), "COM4");
    EXPECT_EQ(port.rate(), 57600u);
    const uint8_t byte = 0x55;
    EXPECT_EQ(write_port(port, &byte, 1), 1);
    EXPECT_EQ(other_link->host_bytes(), std::vector<uint8_t>{0x55});
}

struct OpenCase {
    const char* what;
    std::function<void(MemoryLink&)> fault;
    int32_t rate;
    int open_code;      // what open_port returns
    int set_code;       // what set_comm_prop returns on an open port (0: not reached)
    std::string message;
};

TEST_F(SerialPortTest, EachFailingStepHasItsCodeAndMessage) {
    const OpenCase cases[] = {
        {"the open", [](MemoryLink& l) { l.fail_open = true; l.error_code = 5; }, 57600, -2, 0,
         "\a\aError: cannot open COM port COM3: memory link error 5\n"},
        {"a rate not in the table", [](MemoryLink&) {}, 128000, -3, -2, "\a\aError: Invalid baud rate 128000\n"},
        {"the first properties query", [](MemoryLink& l) { l.fail_properties_query = 1; l.error_code = 6; }, 9600,
         -3, -4, "\a\aError: could not get comm properties for port COM3: memory link error 6\n"},
        {"the second properties query", [](MemoryLink& l) { l.fail_properties_query = 2; }, 9600, -3, -6,
         "\a\aError: could not get comm properties for port COM3: memory link error 0\n"},
        {"settable parameters", [](MemoryLink& l) { l.properties.settable_params = 0x07; }, 9600, -3, -7,
         "\a\aError: required comm properties for port COM3 not settable: Settable Params 0x00000007\n"},
        {"8 data bits", [](MemoryLink& l) { l.properties.settable_data = 0x0007; }, 9600, -3, -9,
         "\a\aError: 8 data bits comm properties for port COM3 not settable: Settable Data 0x0007\n"},
        {"1 stop bit and no parity", [](MemoryLink& l) { l.properties.settable_stop_parity = 0x0001; }, 9600, -3,
         -10,
         "\a\aError: 1 stop bit, no parity comm properties for port COM3 not settable: Settable Stop & Parity "
         "0x0001\n"},
        {"timed reads", [](MemoryLink& l) { l.properties.provider_capabilities = 0x40; }, 9600, -3, -11,
         "\a\aError: timeouts comm properties for port COM3 not settable: Settable Prov Cap 0x00000040\n"},
        {"reading the line settings", [](MemoryLink& l) { l.fail_get_settings = true; }, 9600, -3, -12,
         "\a\aError: could not get the comm state for port COM3: memory link error 0\n"},
        {"writing the line settings", [](MemoryLink& l) { l.fail_set_settings = true; }, 9600, -3, -13,
         "\a\aError: could not set the comm state for port COM3: memory link error 0\n"},
        {"the time-outs", [](MemoryLink& l) { l.fail_set_timeouts = true; }, 9600, -14, 0,
         "\a\aError: could not set the comm timeouts for port COM3: memory link error 0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.fault(*link);
        (void)sink.take();  // only what follows
        EXPECT_EQ(open_port(port, "COM3", c.rate), c.open_code);
        EXPECT_EQ(sink.take(), c.message);
        EXPECT_FALSE(link->is_open);
        EXPECT_EQ(link->purge_count, 0);
        if (c.set_code == 0) continue;
        SetUp();
        ASSERT_EQ(open_port(port, "COM3", 9600), 0);
        c.fault(*link);
        (void)sink.take();  // only what follows
        EXPECT_EQ(set_comm_prop(port, c.rate), c.set_code);
        EXPECT_EQ(sink.take(), c.message);
        EXPECT_FALSE(link->is_open);
    }
}

// The first query learns the provider's record length, the second asks for
// a record of that length; a platform without a provider record skips both
// and the capability tests.
TEST_F(SerialPortTest, PropertiesQueries) {
    link->properties.packet_length = 188;
    ASSERT_EQ(open_port(port, "COM3", 9600), 0);
    EXPECT_EQ(link->properties_lengths, (std::vector<uint16_t>{62, 188}));
    SetUp();
    link->has_properties = false;
    link->properties.provider_capabilities = 0;  // would be refused if asked
    (void)sink.take();  // only what follows
    ASSERT_EQ(open_port(port, "COM3", 9600), 0);
    EXPECT_EQ(sink.take(), "");
    EXPECT_TRUE(link->properties_lengths.empty());
}

TEST_F(SerialPortTest, NullNames) {
    (void)sink.take();  // only what follows
    EXPECT_EQ(open_port(port, nullptr, 9600), -1);
    EXPECT_EQ(set_comm_prop(port, 9600), -1);  // no port named yet
    EXPECT_EQ(sink.take(), "open_port: Error: port null argument\nset_comm_prop: Error: port null argument\n");
    EXPECT_EQ(link->open_count, 0);
}

TEST_F(SerialPortTest, OpenSetsRaw8N1WithoutFlowControlAndPurges) {
    (void)sink.take();  // only what follows
    ASSERT_EQ(open_port(port, "COM12", 38400), 0);
    EXPECT_EQ(sink.take(), "");
    EXPECT_EQ(link->opened_name, "COM12");
    const LineSettings& s = link->settings;
    EXPECT_EQ(s.baud_rate, 38400u);
    EXPECT_EQ(s.byte_size, 8);
    EXPECT_EQ(s.parity, Parity::none);
    EXPECT_EQ(s.stop_bits, StopBits::one);
    EXPECT_FALSE(s.parity_check || s.outx_cts_flow || s.outx_dsr_flow || s.outx || s.inx);
    EXPECT_FALSE(s.abort_on_error || s.dsr_sensitivity || s.error_char);
    EXPECT_EQ(s.dtr_control, LineControl::disable);
    EXPECT_EQ(s.rts_control, LineControl::disable);
    EXPECT_TRUE(s.discard_null);
    EXPECT_EQ(link->purge_count, 1);
    EXPECT_EQ(port_rate(port), 38400u);
}

TEST_F(SerialPortTest, BaseTimeoutsPerRate) {
    struct Row {
        uint32_t rate, read_mult, write_mult;
    } rows[] = {{4800, 2, 4}, {9600, 1, 2}, {19200, 0, 1}, {38400, 0, 0}, {57600, 0, 0}, {110, 90, 181}};
    for (const auto& r : rows) {
        CommTimeouts t = base_timeouts_for(r.rate);
        EXPECT_EQ(t.read_interval, 0u) << r.rate;
        EXPECT_EQ(t.read_total_multiplier, r.read_mult) << r.rate;
        EXPECT_EQ(t.read_total_constant, 1u) << r.rate;
        EXPECT_EQ(t.write_total_multiplier, r.write_mult) << r.rate;
        EXPECT_EQ(t.write_total_constant, 10u) << r.rate;
        SetUp();
        ASSERT_EQ(open_port(port, "COM1", static_cast<int32_t>(r.rate)), 0);
        EXPECT_EQ(link->timeouts.read_total_multiplier, r.read_mult);
        EXPECT_EQ(link->timeouts.write_total_constant, 10u);
    }
}

// A write may take two character times a byte and 10 ms, counted in
// microseconds: the whole-millisecond multiplier of the base time-outs is 0
// above 20000 baud, which would leave a 64-byte packet 10 ms at any rate.
TEST_F(SerialPortTest, WriteTimeoutCoversTheBytesLineTimeAtEveryRate) {
    struct Row {
        uint32_t rate;
        uint32_t one, sixty_four, line_of_268;  // ms for writes of 1, 64 and 268 bytes
    } rows[] = {
        {110, 192, 11647, 48738}, {300, 77, 4277, 17877}, {600, 44, 2144, 8944}, {1200, 27, 1077, 4477},
        {2400, 19, 544, 2244},    {4800, 15, 277, 1127},  {9600, 13, 144, 569},  {14400, 12, 99, 383},
        {19200, 12, 77, 290},     {38400, 11, 44, 150},   {56000, 11, 33, 106},  {57600, 11, 33, 104},
        {115200, 11, 22, 57},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(write_timeout_ms(r.rate, 1), r.one) << r.rate;
        EXPECT_EQ(write_timeout_ms(r.rate, 64), r.sixty_four) << r.rate;
        EXPECT_EQ(write_timeout_ms(r.rate, 268), r.line_of_268) << r.rate;
        EXPECT_GT(write_timeout_ms(r.rate, 64), line_time_ms(r.rate, 64)) << r.rate;
        SetUp();
        ASSERT_EQ(open_port(port, "COM1", static_cast<int32_t>(r.rate)), 0);
        ASSERT_EQ(write_port(port, std::string(64, 'x').data(), 64), 64);
        EXPECT_EQ(link->timeouts.write_total_multiplier * 64 + link->timeouts.write_total_constant, r.sixty_four);
    }
    EXPECT_EQ(line_time_ms(19200, 268), 140u);
    EXPECT_EQ(line_time_ms(9600, 96), 100u);  // exactly 100 ms: rounded up to nothing more
}

// The drains before the handshake and the update end once the line is quiet,
// or give up on a line that keeps sending, with a warning.
TEST_F(SerialPortTest, DrainsAreBounded) {
    ASSERT_EQ(open_port(port, "COM1", 57600), 0);
    link->device_send(std::string(500, 's'));
    (void)sink.take();  // only what follows
    Drained d = drain_input(port, 40, 100);
    EXPECT_EQ(d.bytes, 500);
    EXPECT_FALSE(d.bounded);
    EXPECT_EQ(sink.take(), "");
    for (int i = 0; i < 70000; ++i) link->device_send(std::string(1, 'n'), 1);  // a byte a millisecond, for ever
    (void)sink.take();  // only what follows
    drain_stale_input(port, 40, 100);
    EXPECT_EQ(sink.take(), "\a\aWarning: the line of COM port COM1 keeps sending (65560 bytes discarded), going on\n");
    // What waits before a packet is read and dropped up to the same bound.
    SetUp();
    ASSERT_EQ(open_port(port, "COM1", 57600), 0);
    link->device_send(std::string(DRAIN_MAX_BYTES + 10, 'w'));
    EXPECT_EQ(discard_waiting(port), DRAIN_MAX_BYTES);
}

TEST_F(SerialPortTest, ReadWaitsForTheFullCountOrItsTimeout) {
    struct Row {
        int32_t rate;
        int size, timeout, arriving;
        int expect_got;
        int64_t expect_ms;
    } rows[] = {
        {9600, 100, 20000, 0, 0, 100 * 1 + 20010},   // nothing arrives: the whole wait
        {9600, 100, 20000, 100, 100, 0},             // the full count ends it at once
        {9600, 100, 20000, 30, 30, 20110},           // a short reply still costs the wait
        {19200, 1024, 2000, 0, 0, 2010},             // no per-byte time at 19200 and above
        {4800, 10, 100, 0, 0, 10 * 2 + 110},
    };
    for (const auto& r : rows) {
        SetUp();
        ASSERT_EQ(open_port(port, "COM1", r.rate), 0);
        link->device_send(std::string(static_cast<std::size_t>(r.arriving), 'x'));
        char buf[1024];
        EXPECT_EQ(read_port(port, buf, r.size, r.timeout), r.expect_got);
        ASSERT_FALSE(link->read_durations_ms.empty());
        EXPECT_EQ(link->read_durations_ms.back(), r.expect_ms) << r.rate << " " << r.size;
        EXPECT_EQ(link->timeouts.read_total_constant, static_cast<uint32_t>(r.timeout + 10));
        EXPECT_EQ(link->timeouts.write_total_multiplier, base_timeouts_for(static_cast<uint32_t>(r.rate)).write_total_multiplier);
        // The same time-outs again are not handed to the driver again.
        const int applied = link->set_timeouts_count;
        read_port(port, buf, r.size, r.timeout);
        EXPECT_EQ(link->set_timeouts_count, applied) << r.rate << " " << r.size;
    }
}

// Kept NUL bytes arrive; the setting reaches the driver once, and a new open
// drops them again.
TEST_F(SerialPortTest, NulBytesAreKeptUntilTheNextOpen) {
    ASSERT_EQ(open_port(port, "COM1", 9600), 0);
    char buf[8] = {};
    link->device_send(std::string("a\0b", 3));
    EXPECT_EQ(read_port(port, buf, 3, 100), 2);
    ASSERT_TRUE(keep_nul_bytes(port));
    link->device_send(std::string("a\0b", 3));
    EXPECT_EQ(read_port(port, buf, 3, 100), 3);
    EXPECT_EQ(std::string(buf, 3), std::string("a\0b", 3));
    const int applied = link->set_timeouts_count;
    for (int i = 0; i < 3; ++i) read_port(port, buf, 3, 100);
    EXPECT_EQ(link->set_timeouts_count, applied);
    ASSERT_EQ(open_port(port, "COM1", 9600), 0);
    link->device_send(std::string("a\0b", 3));
    EXPECT_EQ(read_port(port, buf, 3, 100), 2);
}

TEST_F(SerialPortTest, ReadWithATimeoutOfZeroUsesTheBaseTimeouts) {
    ASSERT_EQ(open_port(port, "COM1", 9600), 0);
    char buf[8];
    EXPECT_EQ(read_port(port, buf, 8, 0), 0);
    EXPECT_EQ(link->read_durations_ms.back(), 8 * 1 + 1);
}

TEST_F(SerialPortTest, WriteResults) {
    ASSERT_EQ(open_port(port, "COM3", 9600), 0);
    struct Row {
        const char* what;
        std::function<void(MemoryLink&)> fault;
        const char* name;
        const char* bytes;
        int count;
        int result;
        std::string message;
    } rows[] = {
        {"success", [](MemoryLink&) {}, "COM3", "abc", 3, 3, ""},
        {"no name", [](MemoryLink&) {}, nullptr, "abc", 3, -1, "write_port: Error: invalid param file port\n"},
        {"no bytes", [](MemoryLink&) {}, "COM3", nullptr, 3, -2, "write_port: Error: invalid param buf ptr\n"},
        {"count 0", [](MemoryLink&) {}, "COM3", "abc", 0, -1, "write_port: Error: invalid param len: 0\n"},
        {"a failed call", [](MemoryLink& l) { l.fail_write = true; l.error_code = 7; }, "COM3", "abc", 3, -3,
         "\a\aError: wrote 0 of 3, got error on port COM3: memory link error 7\n"},
        {"a short write is a failure", [](MemoryLink& l) { l.fail_write = false; l.short_write_by = 1; }, "COM3", "abc",
         3, -3, "\a\aError: wrote 2 of 3, got error on port COM3: write timed out\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        r.fault(*link);
        std::size_t writes_before = link->host_writes.size();
        SerialPort unnamed{std::make_unique<MemoryLink>(), sink};  // never opened: it has no name
        (void)sink.take();  // only what follows
        EXPECT_EQ(write_port(r.name != nullptr ? port : unnamed, r.bytes, r.count), r.result);
        EXPECT_EQ(sink.take(), r.message);
        if (r.result < 0 && r.result != -3) {
            EXPECT_EQ(link->host_writes.size(), writes_before);
        }
    }
}

TEST_F(SerialPortTest, PurgeAndClose) {
    ASSERT_EQ(open_port(port, "COM1", 57600), 0);
    link->device_send("stale");
    purge_port(port);
    EXPECT_EQ(link->pending(), 0u);
    close_port(port);
    EXPECT_FALSE(link->is_open);
    EXPECT_EQ(link->close_count, 1);
}

TEST_F(SerialPortTest, ReportFatalWithCodeZeroReturns) {
    link->error_code = 3;
    testing::internal::CaptureStderr();
    report_fatal(port, 0, "note\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "note\nReturn code 0, system error code 3\n");
}

using SerialPortDeathTest = SerialPortTest;

TEST_F(SerialPortDeathTest, AFailedReadEndsTheProgram) {
    ASSERT_EQ(open_port(port, "COM3", 9600), 0);
    char buf[4];
    link->fail_read = true;
    link->error_code = 9;
    // The pause before the end, for the operator to read the message.
    const ReadFailurePolicy fatal{false, [](uint32_t ms) { std::fprintf(stderr, "pause %u ms\n", static_cast<unsigned>(ms)); }};
    port.set_read_failure(read_failure_handler(fatal));
    SerialPort unnamed{std::make_unique<MemoryLink>(), sink};  // never opened: it has no name
    unnamed.set_read_failure(read_failure_handler(fatal));
    EXPECT_DEATH(read_port(port, buf, 4, 100),
                 "could not read on COM port COM3: memory link error 9\nReturn code 26, system error code 9\n"
                 "pause 5000 ms\n");
    link->fail_read = false;
    EXPECT_DEATH(read_port(port, buf, 0, 100), "^read_port: Error: invalid param size: 0\nReturn code 25, ");
    EXPECT_DEATH(read_port(port, nullptr, 4, 100), "^read_port: Error: invalid param buf ptr\nReturn code 25, ");
    EXPECT_DEATH(read_port(unnamed, buf, 4, 100), "^read_port: Error: invalid param port\nReturn code 25, ");
    link->fail_set_timeouts = true;
    EXPECT_DEATH(read_port(port, buf, 4, 100),
                 "could not set the comm timeouts for port COM3: memory link error 9\nReturn code 25, ");
}

// With a handler that returns, a read that cannot be performed reads nothing
// and hands the handler its code and message.
TEST_F(SerialPortTest, AFailedReadReadsNothing) {
    struct Row {
        const char* what;
        bool named, with_buf;
        int size;
        bool fail_read, fail_timeouts;
        int code;
        const char* message;
    } rows[] = {
        {"size 0", true, true, 0, false, false, 25, "read_port: Error: invalid param size: 0\n"},
        {"no buffer", true, false, 4, false, false, 25, "read_port: Error: invalid param buf ptr\n"},
        {"no name", false, true, 4, false, false, 25, "read_port: Error: invalid param port\n"},
        {"the read", true, true, 4, true, false, 26, "could not read on COM port COM3: memory link error 9\n"},
        {"the time-outs", true, true, 4, false, true, 25,
         "could not set the comm timeouts for port COM3: memory link error 9\n"},
    };
    for (const Row& r : rows) {
        SetUp();
        if (r.named) {
            ASSERT_EQ(open_port(port, "COM3", 9600), 0);
        }
        link->device_send("abcd");
        link->fail_read = r.fail_read;
        link->fail_set_timeouts = r.fail_timeouts;
        link->error_code = 9;
        int code = 0;
        std::string message;
        port.set_read_failure([&](SerialPort&, int c, const char* m) {
            code = c;
            message += m;
        });
        char buf[4] = {};
        EXPECT_EQ(read_port(port, r.with_buf ? buf : nullptr, r.size, 100), 0) << r.what;
        EXPECT_EQ(code, r.code) << r.what;
        EXPECT_NE(message.find(r.message), std::string::npos) << r.what << ": " << message;
    }
}

}  // namespace
