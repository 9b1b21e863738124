// Discarding what a line still delivers before an exchange begins.
#pragma once

#include <cstdint>

class SerialPort;

// The most a drain discards before it gives up on a line that keeps sending.
inline constexpr long DRAIN_MAX_BYTES = 64L * 1024;
inline constexpr int DRAIN_MAX_MS = 3000;

struct Drained {
    long bytes = 0;        // bytes read and discarded
    bool bounded = false;  // the line was still sending when the drain gave up
};

// Reads up to `chunk` bytes with `quiet_ms` again and again until a read
// returns nothing, i.e. until the line has been quiet for that long; a line
// that is still sending after DRAIN_MAX_MS or DRAIN_MAX_BYTES is left as it
// is. Prints nothing.
Drained drain_input(SerialPort& port, int chunk, int quiet_ms);

// The drain before an exchange: as drain_input, with a warning that the line
// is noisy when it had to give up.
void drain_stale_input(SerialPort& port, int chunk, int quiet_ms);

// Reads and discards what has already arrived, without waiting for more than
// the rest of a burst under way: each one-byte read waits at most a character
// time and a millisecond, so the second byte of a doubled answer, sent right
// behind the first, is caught too. Stops at DRAIN_MAX_BYTES. Returns the
// bytes discarded. Prints nothing.
long discard_waiting(SerialPort& port);
