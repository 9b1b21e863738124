// Benchmarks of the handshakes against korrisim, printing figures and
// asserting nothing:
//   korri_handshake_bench [LOOPS]
// runs LOOPS connects, LOOPS starts of a firmware update's port sequence and
// LOOPS whole firmware commands against korrisim's automatic power-on, and
// prints how many power-ons were lost (swallowed by the utility's drain of
// stale input) and the time per round; then the time from the device's last
// reply byte to the utility's "Connected at" for connect and baud.
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <string>

#include "serial/serial_port.hpp"
#include "support/sim_session.hpp"
#include "text/sink.hpp"

namespace {

double seconds_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void connects(int n) {
    SimSession s({"--mode=console"});  // the console's handshake alone, without the loader's window
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
}

// The port sequence of a firmware update up to the loader's first byte:
// open at 19200, drain with 100 ms reads, purge, then wait up to 20 s.
void firmware_starts(int n) {
    SimSession s({});
    setenv("KORRIMATIC_COM2", s.port_path().c_str(), 1);
    int started = 0;
    SerialPort port(standard_output());
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        if (open_port(port, "COM2", 19200) != 0) break;
        char buf[1024];
        while (read_port(port, buf, sizeof buf, 100) > 0) {
        }
        purge_port(port);
        if (read_port(port, buf, 1, 20000) == 1) ++started;
        close_port(port);
    }
    std::printf("firmware starts: %d of %d saw the device's first byte, %.1f ms a round\n", started, n,
                seconds_since(start) * 1000.0 / n);
}

// Whole firmware commands against korrisim's loader, powered on by itself
// after the utility's purge: none may miss the loader's prompt.
void firmware_updates(int n) {
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
}

// The time from the device's last reply byte to the utility's "Connected at",
// for connect and for baud.
void reply_latency(int rounds) {
    SimSession s({"--power=control"});
    s.start_utility(1);
    double connect_ms = 0, baud_ms = 0;
    int done = 0;
    for (; done < rounds; ++done) {
        s.type("connect 1");
        if (!s.wait_for("You have 20 seconds to do this...")) break;
        s.control("on");
        if (!s.wait_for("\aConnected at 57600\n")) break;
        connect_ms += static_cast<double>(s.found_us() - s.last_tx_end_us(s.found_us())) / 1000.0;
        s.type("baud 57600");
        if (!s.wait_for("\aConnected at 57600\n")) break;
        baud_ms += static_cast<double>(s.found_us() - s.last_tx_end_us(s.found_us())) / 1000.0;
        s.type("disconnect");
        if (!s.wait_for("Disconnected\n")) break;
    }
    if (done > 0) {
        std::printf("last reply byte to \"Connected at\": connect %.1f ms, baud %.1f ms (mean of %d)\n",
                    connect_ms / done, baud_ms / done, done);
    }
    s.finish();
}

}  // namespace

int main(int argc, char** argv) {
    const int loops = argc > 1 ? std::atoi(argv[1]) : 20;
    connects(loops);
    firmware_starts(loops);
    firmware_updates(loops);
    reply_latency(5);
    return 0;
}
