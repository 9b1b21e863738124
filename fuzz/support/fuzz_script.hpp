// The fuzzer's bytes read as the choices of a hostile line and device: each
// choice takes the next byte, and once the input is used up every choice
// falls back to what a well-behaved device does, so that a short input is a
// fault or two followed by a clean exchange.
#pragma once

#include <cstddef>
#include <cstdint>

class FuzzScript {
public:
    FuzzScript(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool used_up() const { return pos_ >= size_; }
    // The next byte, or `fallback` once the input is used up.
    uint8_t byte(uint8_t fallback) { return pos_ < size_ ? data_[pos_++] : fallback; }
    // One of `count` choices (0 .. count - 1).
    unsigned pick(unsigned count, unsigned fallback) {
        return pos_ < size_ ? data_[pos_++] % count : fallback;
    }
    // A delay in milliseconds, drawn from the values next to the protocol's
    // time-outs so that both sides of every boundary are reached.
    int64_t delay_ms(int64_t fallback);

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
