#include "firmware/firmware_update_answers.hpp"

#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"

namespace {

constexpr int CHUNK = 64;

}  // namespace

long drop_waiting(SerialPort& port) {
    uint8_t scratch[CHUNK];
    long dropped = 0;
    for (int n; dropped < DRAIN_MAX_BYTES && (n = read_waiting(port, scratch, CHUNK)) > 0;) dropped += n;
    return dropped;
}

int answer_wait_ms(SerialPort& port, std::size_t length) {
    return LOADER_ANSWER_LIMIT_MS + static_cast<int>(line_time_ms(port_rate(port), length + 1));
}

std::optional<uint8_t> await_answer(SerialPort& port, std::size_t length) {
    uint8_t answer = 0;
    if (read_port(port, &answer, 1, answer_wait_ms(port, length)) != 1) return std::nullopt;
    return answer;
}

long bytes_until_quiet(SerialPort& port, int quiet_ms) { return drain_input(port, CHUNK, quiet_ms).bytes; }
