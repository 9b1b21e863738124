#include "serial/answer_timing.hpp"

#include "serial/serial_port.hpp"

namespace {

int64_t port_now_us(SerialPort& port) { return port.driver().now_us(); }

}  // namespace

int64_t shortest_answer_us(uint32_t rate, std::size_t count) {
    if (rate == 0) return 0;
    const int64_t wire_us = static_cast<int64_t>(count) * 10 * 1000000 / static_cast<int64_t>(rate);
    return wire_us * (100 - WIRE_TOLERANCE_PERCENT) / 100;
}

void AnswerTiming::sent(SerialPort& port, std::size_t count) {
    count_ = count;
    rate_ = port_rate(port);
    sent_us_ = port_now_us(port);
}

bool AnswerTiming::too_soon(SerialPort& port, bool probe) {
    const int64_t took_us = port_now_us(port) - sent_us_;
    shortest_us_ = shortest_answer_us(rate_, count_);
    const bool soon = took_us < shortest_us_;
    if (line_ == Line::faster) return false;
    if (probe || line_ == Line::unknown) {
        if (soon) line_ = Line::faster;
        else if (line_ == Line::unknown) line_ = Line::at_rate;
        return false;
    }
    return soon;
}

bool AnswerTiming::followed(SerialPort& port, int wait_ms) {
    uint8_t next = 0;
    if (read_port(port, &next, 1, wait_ms) == 1) return true;
    line_ = Line::faster;
    return false;
}

bool AnswerTiming::take_note() {
    if (line_ != Line::faster || noted_) return false;
    noted_ = true;
    return true;
}
