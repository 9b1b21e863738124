// What a hostile line does to the device's answers, chosen by the fuzzer:
// an answer may come late, be lost, arrive twice, have a stray byte ahead of
// it, or be followed by a stream of noise. The device models of the protocol
// targets answer through it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/fuzz_script.hpp"
#include "support/memory_link.hpp"

struct AnswerFate {
    int64_t delay_ms = 0;              // after the transmission it answers
    bool lost = false;                 // never reaches the host
    int copies = 1;                    // 2 when the line doubles it
    std::vector<uint8_t> stray;        // bytes ahead of it
    int stream_bytes = 0;              // noise after it, one byte every stream_gap_ms
    uint8_t stream_byte = 0;
    int64_t stream_gap_ms = 0;

    // Within what a host can attribute: the answer comes no later than
    // `bound_ms` after its transmission, a stray byte never stands in for a
    // lost answer, and the noise after it holds none of the `answer_bytes`
    // (it could stand in for a later answer that is lost). No host can tell
    // those apart from the device's own answers: outside them, a wrong
    // success is the line's doing, not the protocol's.
    bool attributable(int64_t bound_ms, std::string_view answer_bytes = {}) const {
        const bool answer_noise =
            stream_bytes > 0 && answer_bytes.find(static_cast<char>(stream_byte)) != std::string_view::npos;
        return delay_ms <= bound_ms && !(lost && !stray.empty()) && !answer_noise;
    }

    // Nothing but the answer, at the usual delay.
    bool clean(int64_t usual_delay_ms) const {
        return delay_ms == usual_delay_ms && !lost && copies == 1 && stray.empty() && stream_bytes == 0;
    }
};

// Reads a fate from the script: one byte of kind, and more for the delay,
// the stray byte and the stream when the kind asks for them. A used-up
// script gives the clean fate at `usual_delay_ms`.
AnswerFate read_answer_fate(FuzzScript& script, int64_t usual_delay_ms);

// Sends `answer` to the host as the fate says; returns how long the line
// keeps sending noise after it (0 without a stream).
int64_t send_answer(MemoryLink& link, const std::vector<uint8_t>& answer, const AnswerFate& fate);
