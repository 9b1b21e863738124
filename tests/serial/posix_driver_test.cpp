// The POSIX driver on a real pseudo-terminal: the test holds the master (the
// device's end), the port operations open the slave through KORRIMATIC_COM7.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "serial/baud_table.hpp"
#include "serial/posix_device_path.hpp"
#include "serial/posix_line.hpp"
#include "serial/posix_modem_lines.hpp"
#include "serial/posix_rate.hpp"
#include "serial/posix_speed.hpp"
#include "serial/serial_port.hpp"
#include "text/sink.hpp"

namespace {

using Clock = std::chrono::steady_clock;

long elapsed_ms(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

class PosixDriverTest : public testing::Test {
protected:
    void SetUp() override {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slave = ptsname(master);
        setenv("KORRIMATIC_COM7", slave.c_str(), 1);
    }
    void TearDown() override {
        port.set_driver(nullptr);  // closed before its terminal
        if (master >= 0) close(master);
        unsetenv("KORRIMATIC_COM7");
    }
    void device_write(const std::string& bytes) {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string device_read(int timeout_ms = 1000) {
        std::string got;
        pollfd p{master, POLLIN, 0};
        while (poll(&p, 1, timeout_ms) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
            timeout_ms = 50;
        }
        return got;
    }
    // The master reads the slave's settings.
    termios slave_settings() {
        termios t{};
        EXPECT_EQ(tcgetattr(master, &t), 0);
        return t;
    }

    // Opens a driver of its own on COM7 with the line settings.
    static bool open_driver(SerialDriver& driver, const LineSettings& line,
                            const CommTimeouts& timeouts = base_timeouts_for(9600)) {
        OpenFailure failure;
        return driver.open("COM7", line, timeouts, failure);
    }

    int master = -1;
    std::string slave;
    StringSink sink;  // what the port prints
    SerialPort port{sink};
};

// Every rate of the table that the system names has its speed constant, both
// ways; the others (14400, 56000) go by the rate itself.
TEST(PosixSpeed, TheNamedRatesBothWays) {
    int named = 0;
    for (const int32_t* rate = baud_table; *rate != 0; ++rate) {
        speed_t speed{};
        if (!speed_of_rate(static_cast<uint32_t>(*rate), speed)) continue;
        ++named;
        EXPECT_EQ(rate_of_speed(speed), static_cast<uint32_t>(*rate));
    }
    EXPECT_EQ(named, 11);
}

TEST(PosixDevicePath, MapsComPortsToDevices) {
    unsetenv("KORRIMATIC_COM3");
    EXPECT_EQ(posix_device_path("COM3"), "/dev/ttyS2");
    EXPECT_EQ(posix_device_path("com1"), "/dev/ttyS0");
    EXPECT_EQ(posix_device_path("COM20"), "/dev/ttyS19");
    setenv("KORRIMATIC_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(posix_device_path("COM3"), "/dev/ttyUSB0");
    unsetenv("KORRIMATIC_COM3");
    for (const char* bad : {"COM", "COM0", "COM3x", "LPT1", ""}) EXPECT_EQ(posix_device_path(bad), "") << bad;
}

TEST(PosixDevicePath, ErrorTextsNameThePathAndTheRemedy) {
    std::string missing = posix_error_text("COM9", "/dev/ttyS8", ENOENT, true);
    EXPECT_EQ(missing.rfind("/dev/ttyS8: No such file or directory (", 0), 0u) << missing;
    EXPECT_NE(missing.find("KORRIMATIC_COM9=/dev/"), std::string::npos) << missing;
    EXPECT_NE(posix_error_text("COM1", "/dev/ttyS0", EACCES, true).find("dialout"), std::string::npos);
    EXPECT_NE(posix_error_text("COM1", "/dev/ttyS0", EBUSY, true).find("another program"), std::string::npos);
    EXPECT_EQ(posix_error_text("COM1", "/dev/ttyS0", EIO, false), "/dev/ttyS0: Input/output error");
}

TEST_F(PosixDriverTest, OpensRaw8N1WithoutFlowControlAtTheRate) {
    for (int32_t rate : {4800, 9600, 19200, 38400, 57600, 14400, 56000, 110, 115200}) {
        SCOPED_TRACE(rate);
        (void)sink.take();  // only what follows
        ASSERT_EQ(open_port(port, "COM7", rate), 0);
        EXPECT_EQ(sink.take(), "");
        termios t = slave_settings();
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        uint32_t actual = 0;
        EXPECT_TRUE(posix_get_any_rate(master, actual));
        EXPECT_EQ(actual, static_cast<uint32_t>(rate));
        close_port(port);
    }
}

// What is set is what the port holds and what is read back.
TEST_F(PosixDriverTest, SettingsReadBackAsSet) {
    struct Row {
        uint8_t byte_size;
        Parity parity;
        StopBits stop_bits;
        bool parity_check, outx, inx;
    } rows[] = {
        // A pseudo-terminal keeps 8 data bits and no parity whatever it is asked.
        {8, Parity::none, StopBits::one, false, false, false}, {8, Parity::none, StopBits::one, true, false, false},
        {8, Parity::none, StopBits::two, true, true, false},   {8, Parity::none, StopBits::two, false, false, true},
        {8, Parity::none, StopBits::one, false, true, true},
    };
    auto driver = make_platform_driver();
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.byte_size));
        LineSettings s = line_settings_for(9600);
        s.byte_size = r.byte_size;
        s.parity = r.parity;
        s.stop_bits = r.stop_bits;
        s.parity_check = r.parity_check;
        s.outx = r.outx;
        s.inx = r.inx;
        ASSERT_TRUE(open_driver(*driver, s));
        EXPECT_EQ((slave_settings().c_iflag & INPCK) != 0, r.parity_check);
        const TermiosLine back = termios_line(slave_settings());
        uint32_t back_rate = 0;
        ASSERT_TRUE(posix_get_any_rate(master, back_rate));
        EXPECT_EQ(back.byte_size, r.byte_size);
        EXPECT_EQ(back.parity, r.parity);
        EXPECT_EQ(back.stop_bits, r.stop_bits);
        EXPECT_EQ(back.parity_check, r.parity_check);
        EXPECT_EQ(back.outx, r.outx);
        EXPECT_EQ(back.inx, r.inx);
        EXPECT_EQ(back_rate, 9600u);
    }
    driver->close();
}

// Every line setting survives the way into a termios and back, and what the
// port cannot do is refused with its reason.
TEST(PosixTermios, EverySettingSurvivesTheWayThereAndBack) {
    for (uint8_t size : {5, 6, 7, 8})
        for (Parity parity : {Parity::none, Parity::odd, Parity::even})
            for (StopBits stop : {StopBits::one, StopBits::two})
                for (int flags = 0; flags < 16; ++flags) {
                    LineSettings s = line_settings_for(9600);
                    s.byte_size = size;
                    s.parity = parity;
                    s.stop_bits = stop;
                    s.parity_check = (flags & 1) != 0;
                    s.outx = (flags & 2) != 0;
                    s.inx = (flags & 4) != 0;
                    s.outx_cts_flow = (flags & 8) != 0;
                    termios t{};
                    std::string detail;
                    ASSERT_TRUE(make_termios(s, t, detail)) << detail;
                    EXPECT_TRUE(termios_kept(t, t));
                    const TermiosLine back = termios_line(t);
                    SCOPED_TRACE(std::to_string(size) + " " + std::to_string(static_cast<int>(parity)) + " " +
                                 std::to_string(static_cast<int>(stop)) + " " + std::to_string(flags));
                    EXPECT_EQ(back.byte_size, size);
                    EXPECT_EQ(back.parity, parity);
                    EXPECT_EQ(back.stop_bits, stop);
                    EXPECT_EQ(back.parity_check, s.parity_check);
                    EXPECT_EQ(back.outx, s.outx);
                    EXPECT_EQ(back.inx, s.inx);
                    EXPECT_EQ(back.outx_cts_flow, s.outx_cts_flow);
                }
    // What the terminal did not keep, one field at a time, is seen.
    termios asked{};
    std::string detail;
    ASSERT_TRUE(make_termios(line_settings_for(9600), asked, detail));
    const std::function<void(termios&)> changes[] = {
        [](termios& t) { t.c_cflag |= CRTSCTS; }, [](termios& t) { t.c_cflag &= ~static_cast<tcflag_t>(CREAD); },
        [](termios& t) { t.c_iflag |= IXON; },    [](termios& t) { t.c_iflag |= ICRNL; },
        [](termios& t) { t.c_lflag |= ECHO; },    [](termios& t) { t.c_lflag |= ICANON; },
        [](termios& t) { t.c_oflag |= OPOST; },   [](termios& t) { t.c_cc[VMIN] = 0; },
        [](termios& t) { t.c_cc[VTIME] = 1; },
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        termios back = asked;
        changes[i](back);
        EXPECT_FALSE(termios_kept(asked, back)) << "change " << i;
    }
    struct Bad {
        uint8_t size;
        int parity, stop;
        const char* detail;
    } bad[] = {{9, 0, 0, "unsupported data bits"}, {4, 0, 0, "unsupported data bits"},
               {8, 3, 0, "unsupported parity"},    {8, 0, 1, "unsupported stop bits"}};
    for (const Bad& b : bad) {
        LineSettings s = line_settings_for(9600);
        s.byte_size = b.size;
        s.parity = static_cast<Parity>(b.parity);
        if (b.stop != 0) s.stop_bits = static_cast<StopBits>(1);
        termios t{};
        std::string detail;
        EXPECT_FALSE(make_termios(s, t, detail)) << b.detail;
        EXPECT_EQ(detail, b.detail);
    }
}

// A pseudo-terminal has no modem lines: which ones a real port drops.
TEST(PosixModemLines, DisabledLinesAreDropped) {
    struct Row {
        LineControl dtr, rts;
        int dropped;
    } rows[] = {{LineControl::enable, LineControl::enable, 0},
                {LineControl::disable, LineControl::enable, TIOCM_DTR},
                {LineControl::enable, LineControl::disable, TIOCM_RTS},
                {LineControl::disable, LineControl::disable, TIOCM_DTR | TIOCM_RTS},
                {LineControl::handshake, LineControl::toggle, 0}};
    for (const Row& r : rows) {
        LineSettings s{};
        s.dtr_control = r.dtr;
        s.rts_control = r.rts;
        EXPECT_EQ(modem_lines_to_drop(s), r.dropped) << static_cast<int>(r.dtr) << " " << static_cast<int>(r.rts);
    }
}

TEST_F(PosixDriverTest, CloseGivesThePortItsEarlierSettingsBack) {
    const termios before = slave_settings();
    ASSERT_EQ(open_port(port, "COM7", 9600), 0);
    EXPECT_NE(slave_settings().c_lflag & ICANON, before.c_lflag & ICANON);
    close_port(port);
    const termios after = slave_settings();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

// A port that cannot take the settings is refused with EINVAL and the reason.
TEST_F(PosixDriverTest, SettingsThePortCannotTakeAreRefused) {
    auto driver = make_platform_driver();
    LineSettings s = line_settings_for(9600);
    s.byte_size = 9;
    EXPECT_FALSE(open_driver(*driver, s));
    EXPECT_EQ(driver->last_error(), static_cast<uint32_t>(EINVAL));
    EXPECT_NE(driver->error_text(driver->last_error()).find("unsupported data bits"), std::string::npos)
        << driver->error_text(driver->last_error());
}

TEST_F(PosixDriverTest, TheOpenIsExclusive) {
    ASSERT_EQ(open_port(port, "COM7", 9600), 0);
    auto other = make_platform_driver();
    EXPECT_FALSE(open_driver(*other, line_settings_for(9600)));
    EXPECT_EQ(other->last_error(), static_cast<uint32_t>(EBUSY));
    EXPECT_EQ(other->error_text(other->last_error()),
              slave + ": Device or resource busy (another program is using the port; close it and try again)");
    close_port(port);
    EXPECT_TRUE(open_driver(*other, line_settings_for(9600)));  // free again once closed
    other->close();
}

TEST_F(PosixDriverTest, OpenFailuresNameTheDevice) {
    setenv("KORRIMATIC_COM7", "/dev/korrimatic-no-such-device", 1);
    (void)sink.take();  // only what follows
    EXPECT_EQ(open_port(port, "COM7", 9600), -2);
    std::string text = sink.take();
    EXPECT_EQ(text.rfind("\a\aError: cannot open COM port COM7: /dev/korrimatic-no-such-device: No such file or "
                         "directory (",
                         0),
              0u)
        << text;
    setenv("KORRIMATIC_COM7", "/dev/null", 1);
    (void)sink.take();  // only what follows
    EXPECT_EQ(open_port(port, "COM7", 9600), -2);
    EXPECT_NE(sink.take().find("/dev/null: Inappropriate ioctl for device (not a serial device"), std::string::npos);
}

TEST_F(PosixDriverTest, ReadsWritesDropsNulsAndPurges) {
    // A second descriptor on the slave, opened before the port takes it for
    // itself, tells when bytes the device wrote have reached the slave.
    const int watch = open(slave.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_EQ(open_port(port, "COM7", 57600), 0);
    EXPECT_EQ(write_port(port, "hello\r", 6), 6);
    EXPECT_EQ(device_read(), "hello\r");

    device_write(std::string("a\0b\0\0c", 6));
    char buf[16] = {};
    EXPECT_EQ(read_port(port, buf, 3, 1000), 3);
    EXPECT_EQ(std::string(buf, 3), "abc");

    device_write("junk");
    pollfd arrived{watch, POLLIN, 0};
    ASSERT_EQ(poll(&arrived, 1, 5000), 1);
    purge_port(port);
    auto start = Clock::now();
    EXPECT_EQ(read_port(port, buf, 10, 100), 0);
    EXPECT_GE(elapsed_ms(start), 110);  // the whole time-out: t + 10 ms

    // Once the port keeps NUL bytes, the waiting read and the read of what
    // has arrived both hand them over.
    ASSERT_TRUE(keep_nul_bytes(port));
    device_write(std::string("d\0e", 3));
    EXPECT_EQ(read_port(port, buf, 3, 1000), 3);
    EXPECT_EQ(std::string(buf, 3), std::string("d\0e", 3));
    device_write(std::string("\0f", 2));
    ASSERT_EQ(poll(&arrived, 1, 5000), 1);
    EXPECT_EQ(read_waiting(port, buf, sizeof buf), 2);
    EXPECT_EQ(std::string(buf, 2), std::string("\0f", 2));
    close(watch);
}

TEST_F(PosixDriverTest, AReadEndsEarlyOnlyOnceTheReplyIsCompleteAndQuiet) {
    ASSERT_EQ(open_port(port, "COM7", 57600), 0);
    ReadUntil until{[](const uint8_t* d, std::size_t n) {
                        return n >= 8 && std::memcmp(d + n - 8, "Korrim> ", 8) == 0;
                    },
                    50};
    device_write("\r\nKorrim> ");
    char buf[64];
    auto start = Clock::now();
    EXPECT_EQ(read_port_until(port, buf, sizeof buf, 20000, until), 10);
    EXPECT_LT(elapsed_ms(start), 5000);
    EXPECT_GE(elapsed_ms(start), 50);

    // Incomplete: the read waits for its time-out.
    device_write("Korrim");
    start = Clock::now();
    EXPECT_EQ(read_port_until(port, buf, sizeof buf, 300, until), 6);
    EXPECT_GE(elapsed_ms(start), 310);
}

// A waiting read and a read of what has arrived alike.
TEST_F(PosixDriverTest, AVanishedDeviceIsAFailedRead) {
    for (const CommTimeouts t : {CommTimeouts{0, 0, 5000, 0, 10}, CommTimeouts{READ_NO_WAIT_INTERVAL, 0, 0, 0, 10}}) {
        if (master < 0) SetUp();  // a new line for the second read
        auto driver = make_platform_driver();
        ASSERT_TRUE(open_driver(*driver, line_settings_for(57600), t));
        close(master);
        master = -1;
        uint8_t buf[4];
        std::size_t got = 99;
        auto start = Clock::now();
        EXPECT_FALSE(driver->read(buf, sizeof buf, got, nullptr));
        EXPECT_LT(elapsed_ms(start), 1000);  // at once, not after the time-out
        EXPECT_EQ(got, 0u);
        EXPECT_EQ(driver->last_error(), static_cast<uint32_t>(EIO));
        EXPECT_EQ(driver->error_text(driver->last_error()), slave + ": Input/output error (the device has gone)");
        driver->close();
    }
}

// A device that goes while a write waits for room on the line: the write
// fails at once, and the message says the device has gone.
TEST_F(PosixDriverTest, AVanishedDeviceIsAFailedWrite) {
    auto driver = make_platform_driver();
    CommTimeouts t{0, 0, 0, 0, 20000};
    ASSERT_TRUE(open_driver(*driver, line_settings_for(57600), t));
    std::thread hang_up([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        close(master);
        master = -1;
    });
    const std::string big(1 << 20, 'x');  // far more than the line's buffers hold
    auto start = Clock::now();
    std::size_t written = 0;
    EXPECT_FALSE(driver->write(reinterpret_cast<const uint8_t*>(big.data()), big.size(), written));
    EXPECT_LT(written, big.size());
    hang_up.join();
    EXPECT_LT(elapsed_ms(start), 5000);  // at the hang-up, not after the time-out
    EXPECT_EQ(driver->last_error(), static_cast<uint32_t>(EIO));
    EXPECT_EQ(driver->error_text(driver->last_error()), slave + ": Input/output error (the device has gone)");
    driver->close();
}

// A write to a line nobody reads ends at its total time-out, with the short
// count, when only the time-out's per-byte term is zero.
TEST_F(PosixDriverTest, AWriteToAStuckLineEndsAtItsTimeout) {
    auto driver = make_platform_driver();
    ASSERT_TRUE(open_driver(*driver, line_settings_for(57600), CommTimeouts{0, 0, 0, 0, 300}));
    std::atomic<bool> done{false};
    std::thread guard([&] {  // a write that would wait without end is ended by a hang-up
        for (int i = 0; i < 300 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done) close(master), master = -1;
    });
    const std::string big(1 << 20, 'x');  // far more than the line's buffers hold
    std::size_t written = 0;
    auto start = Clock::now();
    EXPECT_TRUE(driver->write(reinterpret_cast<const uint8_t*>(big.data()), big.size(), written));
    const long took = elapsed_ms(start);
    done = true;
    guard.join();
    EXPECT_LT(written, big.size());
    EXPECT_LT(took, 2900);
    driver->close();
}

}  // namespace
