// Which answer belongs to which transmission in the loader exchange.
//
// The loader answers every record line it receives whole exactly once, with
// one byte, within LOADER_ANSWER_LIMIT_MS of the line's last byte; a line may
// be lost (no answer), an answer byte damaged, and a noisy line may add bytes.
// The host keeps at most one transmission whose answer may still come: it
// waits for each answer up to the limit before it counts the line as lost,
// drops nothing it has not accounted for, and once the identification has
// been acknowledged treats any byte that is not the answer awaited as proof
// that an answer may have been taken for the wrong line. docs/protocols.md
// gives the argument.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class SerialPort;

// The loader's usual pace: the window for its answer after the line has
// reached it, and the quiet that shows no second byte follows an answer.
inline constexpr int ANSWER_TIMEOUT_MS = 100;
// The longest the loader may take to answer a record line: a line that
// starts a new flash sector has the loader erase it first, which takes up to
// about 2 s on the flash memories such devices use (the identification,
// after which a loader may erase its whole application area, is given 5 s).
inline constexpr int LOADER_ANSWER_LIMIT_MS = 2000;

// Reads and drops what has already arrived, without waiting at all (unlike
// discard_waiting, whose character-time wait before every record line would
// cost a clean update a few per cent); the number of bytes dropped (bounded:
// a line that keeps sending is not emptied). A byte that comes just after is
// caught by the next line's drop or by the quiet after the last answer.
long drop_waiting(SerialPort& port);

// How long the answer to a record line of `length` bytes is awaited: the
// loader's limit after the line's end on the wire, and the answer's own time.
int answer_wait_ms(SerialPort& port, std::size_t length);

// The answer to the record line of `length` bytes just written: the first
// byte that arrives within LOADER_ANSWER_LIMIT_MS of the line's end on the
// wire (and the answer's own time on it), or none.
std::optional<uint8_t> await_answer(SerialPort& port, std::size_t length);

// Bytes that arrive until the line has been quiet for `quiet_ms` (bounded).
long bytes_until_quiet(SerialPort& port, int quiet_ms);
