// Benchmark, run only when KORRI_BENCH_LOOPS is set: that many connects, and
// that many starts of a firmware update's port sequence, and that many whole
// firmware commands against korrisim's
// automatic power-on. Prints how many power-ons were lost (swallowed by the
// utility's drain of stale input) and the time per round.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "serial/serial_port.hpp"
#include "support/sim_session.hpp"

namespace {

int loops() {
    const char* v = std::getenv("KORRI_BENCH_LOOPS");
    return v != nullptr ? std::atoi(v) : 0;
}

double seconds_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

TEST(PowerOnLoop, Connects) {
    const int n = loops();
    if (n <= 0) GTEST_SKIP() << "set KORRI_BENCH_LOOPS to run";
    SimSession s({});
    s.start_utility(1);
    int connected = 0, lost = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        s.type("connect 1");
        if (!s.wait_for("You have 20 seconds to do this...", 30000)) break;
        std::size_t from = s.out().size();
        if (!s.wait_for("Command> ", 30000)) break;
        if (s.out().find("\aConnected at 57600\n", from) != std::string::npos) {
            ++connected;
            s.type("disconnect");
            if (!s.wait_for("Disconnected\n", 30000)) break;
        } else {
            ++lost;
        }
    }
    std::printf("connects: %d of %d connected, %d power-ons lost, %.1f ms a round\n", connected, n, lost,
                seconds_since(start) * 1000.0 / n);
    s.finish();
    EXPECT_EQ(connected, n);
}

// The port sequence of a firmware update up to the loader's first byte:
// open at 19200, drain with 100 ms reads, purge, then wait up to 20 s.
TEST(PowerOnLoop, FirmwareStarts) {
    const int n = loops();
    if (n <= 0) GTEST_SKIP() << "set KORRI_BENCH_LOOPS to run";
    SimSession s({});
    setenv("KORRIMATIC_COM2", s.port_path().c_str(), 1);
    set_serial_driver(make_platform_driver());
    int started = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(open_port("COM2", 19200), 0);
        char buf[1024];
        while (read_port("COM2", buf, sizeof buf, 100) > 0) {
        }
        purge_port();
        if (read_port("COM2", buf, 1, 20000) == 1) ++started;
        close_port();
    }
    std::printf("firmware starts: %d of %d saw the device's first byte, %.1f ms a round\n", started, n,
                seconds_since(start) * 1000.0 / n);
    set_serial_driver(nullptr);
    EXPECT_EQ(started, n);
}

// Whole firmware commands against korrisim's loader, powered on by itself
// after the utility's purge: none may miss the loader's prompt.
TEST(PowerOnLoop, FirmwareUpdates) {
    const int n = loops();
    if (n <= 0) GTEST_SKIP() << "set KORRI_BENCH_LOOPS to run";
    SimSession s({"--mode=loader"});
    s.start_utility(1);
    const std::string file = std::string(KORRI_SOURCE_DIR) + "/tests/data/loop.hex";
    int updated = 0, failed = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        const std::size_t from = s.out().size();
        s.type("firmware 1 " + file);
        s.type("y");
        s.type("");
        if (!s.wait_for("Disconnected\n", 30000) || !s.wait_for("Command> ", 30000)) break;
        if (s.out().find("Firmware update succeeded!", from) != std::string::npos) ++updated;
        else ++failed;
    }
    std::printf("firmware updates: %d of %d succeeded, %d failed, %.1f ms a round\n", updated, n, failed,
                seconds_since(start) * 1000.0 / n);
    s.finish();
    EXPECT_EQ(updated, n);
}

}  // namespace
