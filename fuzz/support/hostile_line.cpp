#include "support/hostile_line.hpp"

#include <array>

namespace {

constexpr std::array<int64_t, 6> STREAM_GAPS_MS = {1, 5, 20, 60, 99, 120};

}  // namespace

AnswerFate read_answer_fate(FuzzScript& script, int64_t usual_delay_ms) {
    AnswerFate fate;
    fate.delay_ms = usual_delay_ms;
    const uint8_t kind = script.byte(0);
    switch (kind & 0x03) {
    case 1: fate.lost = true; break;
    case 2: fate.copies = 2; break;
    case 3: fate.stray.push_back(script.byte(0)); break;
    default: break;
    }
    if ((kind & 0x04) != 0) fate.delay_ms = script.delay_ms(usual_delay_ms);
    if ((kind & 0x08) != 0) {
        fate.stream_bytes = 1 + script.byte(0) % 64;
        fate.stream_byte = script.byte(0);
        fate.stream_gap_ms = STREAM_GAPS_MS[script.byte(0) % STREAM_GAPS_MS.size()];
    }
    return fate;
}

int64_t send_answer(MemoryLink& link, const std::vector<uint8_t>& answer, const AnswerFate& fate) {
    if (!fate.stray.empty()) link.device_send(fate.stray, fate.delay_ms);
    if (!fate.lost) {
        for (int i = 0; i < fate.copies; ++i) link.device_send(answer, fate.delay_ms);
    }
    for (int i = 0; i < fate.stream_bytes; ++i) {
        link.device_send(std::vector<uint8_t>{fate.stream_byte}, fate.delay_ms + (i + 1) * fate.stream_gap_ms);
    }
    return fate.stream_bytes * fate.stream_gap_ms;
}
