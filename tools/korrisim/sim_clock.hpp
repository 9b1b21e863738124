// Time for korrisim: a monotonic clock shared by every process on the
// machine, so that the log's times compare with the tests' own.
#pragma once

#include <chrono>
#include <cstdint>

using SimClock = std::chrono::steady_clock;

// Microseconds on the monotonic clock.
inline int64_t sim_now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(SimClock::now().time_since_epoch()).count();
}

void sim_sleep_ms(long ms);
