#include "serial/drain_input.hpp"

#include <chrono>
#include <vector>

#include "serial/serial_port.hpp"

Drained drain_input(SerialPort& port, int chunk, int quiet_ms) {
    using Clock = std::chrono::steady_clock;
    const auto give_up = Clock::now() + std::chrono::milliseconds(DRAIN_MAX_MS);
    std::vector<uint8_t> scratch(static_cast<std::size_t>(chunk));
    Drained drained;
    for (;;) {
        const int n = read_port(port, scratch.data(), chunk, quiet_ms);
        if (n == 0) return drained;
        drained.bytes += n;
        if (drained.bytes >= DRAIN_MAX_BYTES || Clock::now() >= give_up) {
            drained.bounded = true;
            return drained;
        }
    }
}

void drain_stale_input(SerialPort& port, int chunk, int quiet_ms) {
    const Drained drained = drain_input(port, chunk, quiet_ms);
    if (drained.bounded) {
        port.out().warning("the line of COM port %s keeps sending (%ld bytes discarded), going on\n",
                           port.name(), drained.bytes);
    }
}

long discard_waiting(SerialPort& port) {
    // A read with no time-out of its own runs under the base time-outs: one
    // character time a byte and 1 ms, so a one-byte read finds what is there.
    long discarded = 0;
    uint8_t byte = 0;
    while (discarded < DRAIN_MAX_BYTES && read_port(port, &byte, 1, 0) == 1) ++discarded;
    return discarded;
}
