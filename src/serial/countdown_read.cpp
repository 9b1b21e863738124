#include "serial/countdown_read.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"
#include "text/sink.hpp"

namespace {

using Clock = std::chrono::steady_clock;

int plain_read(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil* until) {
    return until != nullptr ? read_port_until(port, buf, size, timeout_ms, *until) : read_port(port, buf, size, timeout_ms);
}

long whole_seconds_left(int64_t left_ms) { return static_cast<long>((left_ms + 999) / 1000); }

}  // namespace

std::string countdown_line(long seconds) {
    char line[64];
    if (seconds == 1) std::snprintf(line, sizeof line, "\rYou have %2ld second to do this... ", seconds);
    else std::snprintf(line, sizeof line, "\rYou have %2ld seconds to do this...", seconds);
    return line;
}

int read_port_counting_down(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil* until) {
    if (!port.out().operator_at_terminal() || timeout_ms < 2000) return plain_read(port, buf, size, timeout_ms, until);
    auto* bytes = static_cast<uint8_t*>(buf);
    int got = 0;
    // The driver sees one slice at a time; the reply is judged whole.
    ReadUntil sliced;
    if (until != nullptr) {
        sliced.complete = [&](const uint8_t*, std::size_t count) {
            return until->complete(bytes, static_cast<std::size_t>(got) + count);
        };
        sliced.settle_ms = until->settle_ms;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    long shown = whole_seconds_left(timeout_ms);
    while (got < size && !cancel_requested()) {
        const int64_t left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        const long seconds = whole_seconds_left(left);
        if (seconds != shown) {
            shown = seconds;
            port.out().put(countdown_line(seconds));
            port.out().flush();
        }
        // Up to the next whole second left.
        const int slice = static_cast<int>(std::max<int64_t>(1, left - (seconds - 1) * 1000));
        got += plain_read(port, bytes + got, size - got, slice, until != nullptr ? &sliced : nullptr);
        if (until != nullptr && got > 0 && until->complete(bytes, static_cast<std::size_t>(got))) {
            // Whole: what still comes within the settle time belongs to it.
            if (got < size) got += read_port(port, bytes + got, size - got, static_cast<int>(until->settle_ms));
            break;
        }
    }
    return got;
}
