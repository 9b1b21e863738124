// How long the host's reads and the line's bytes take, as the soak's models
// count them, and the few texts both models share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// A read of `bytes` with a time-out of `ms` ends at the latest after this
// long (serial_port.cpp: 10 ms more, and 10000 / rate ms a byte).
inline double read_limit_ms(long rate, int bytes, int ms) { return ms + 10.0 + bytes * (10000 / rate); }

// The time `bytes` take on a line paced at `rate`.
inline double line_ms(long rate, std::size_t bytes) {
    return static_cast<double>(bytes) * 10000.0 / static_cast<double>(rate);
}

// korrisim powers on after the host has left its queues alone this long.
inline constexpr double POWER_ON_QUIET_MS = 300;

// A byte as the utility's messages show it: "0x41".
inline std::string hex_byte(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(b));
    return text;
}
