// No answer faster than the wire. On a line that carries bytes at the port's
// rate (a UART, directly or through a USB adapter whose latency only delays
// what it hands over), the device cannot answer a transmission before the
// transmission has reached it: its bytes take 10 bits each at the rate, and a
// byte that arrives sooner after the transmission began is the answer to
// something else. Two UARTs' clocks may differ by a few per cent, so the
// wire time is shortened by WIRE_TOLERANCE_PERCENT. The time is taken before
// the transmission is handed to the port and after the answer has been read,
// so that both errors of measurement make the answer look later, never
// sooner.
//
// A line that does not carry bytes at its rate (a pseudo-terminal, a USB
// device that ignores the rate) shows it: the answer to a probe (the sync
// character, the identification, the first packet) already comes sooner
// than its wire time. The rule cannot hold there and is dropped for the rest
// of the exchange. A loaded host or a slow device can hide that from the
// probes, so an answer judged too soon later on is held against what
// follows it: the device answers each transmission once, so when the
// transmission's own answer still comes in the rest of its wait, the one
// taken answered something else; when nothing comes it was the only answer,
// and the line has shown that it is faster than its rate. So a clean
// exchange is never failed by the rule, on any line. Only after a
// transmission went unanswered in its whole wait can an answer be on its way
// that no transmission still awaits (the lost one's, later than the device's
// limit): from then on an answer too soon is no answer, whatever follows it.
// docs/protocols.md gives the argument.
#pragma once

#include <cstddef>
#include <cstdint>

class SerialPort;

inline constexpr int WIRE_TOLERANCE_PERCENT = 5;

// The shortest time after a transmission of `count` bytes began at `rate`
// in which its answer can arrive, in microseconds: the bytes' time on the
// wire at 10 bits a byte, less the clocks' tolerance; 0 for an unknown rate.
int64_t shortest_answer_us(uint32_t rate, std::size_t count);

class AnswerTiming {
public:
    enum class Line { unknown, at_rate, faster };

    // A new exchange: nothing is known of the line yet.
    void begin() { line_ = Line::unknown; noted_ = false; unanswered_ = false; }
    // A transmission had no answer in its whole wait: an answer later than
    // the device's limit may still come and land on a later transmission.
    void unanswered() { unanswered_ = true; }
    // Just before a transmission of `count` bytes is handed to the port.
    void sent(SerialPort& port, std::size_t count);
    // Just after an answer to the last transmission has been read. A probe
    // (and the first answer of an exchange) only tells what the line is; for
    // any other answer the result is true when the rule holds and the answer
    // came sooner than the transmission's wire time: it cannot be its answer.
    bool too_soon(SerialPort& port, bool probe = false);
    Line line() const { return line_; }
    // After an answer judged too soon: waits up to `wait_ms` (the rest of the
    // answer wait) for another byte. True when one came: the answer taken
    // belongs to another transmission. False when none came: that answer was
    // the only one, the line is faster than its rate, and the rule is off.
    bool followed(SerialPort& port, int wait_ms);
    // An answer judged too soon is no answer to its transmission: always after
    // a transmission went unanswered, else when another byte follows it in
    // `wait_ms` (see followed).
    bool not_its_answer(SerialPort& port, int wait_ms) { return unanswered_ || followed(port, wait_ms); }
    // True once, when the line has shown that it is faster than its rate.
    bool take_note();
    // The shortest the last answer judged could take, in microseconds, for
    // the messages.
    int64_t shortest_us() const { return shortest_us_; }

private:
    Line line_ = Line::unknown;
    bool noted_ = false;
    bool unanswered_ = false;
    int64_t sent_us_ = 0;
    std::size_t count_ = 0;
    uint32_t rate_ = 0;
    int64_t shortest_us_ = 0;
};
