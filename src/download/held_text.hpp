// A success text held back until the check that follows it has passed.
#pragma once

#include <cstddef>
#include <string>

#include "text/sink.hpp"

// Holds one text back until the next text written through it, or until it
// is released or destroyed, and drops it on drop_held: a success is shown
// only once the check that follows it cannot take it back.
class HeldText final : public Sink {
public:
    explicit HeldText(Sink& out) : out_(out) {}
    ~HeldText() override { release(); }
    HeldText(const HeldText&) = delete;
    HeldText& operator=(const HeldText&) = delete;
    // Holds `text`, after writing what was held before.
    void hold(std::string text) {
        release();
        held_ = std::move(text);
    }
    void release() {
        if (held_.empty()) return;
        const std::string text = std::move(held_);
        held_.clear();
        out_.write(text.data(), text.size());
    }
    void drop() { held_.clear(); }
    void write(const char* data, std::size_t size) override {
        release();
        out_.write(data, size);
    }
    void flush() override { out_.flush(); }

private:
    Sink& out_;
    std::string held_;
};

// Drops what `out` holds back when it is a HeldText: the answers were found
// out of step, and no success before it stands.
inline void drop_held(Sink& out) {
    if (auto* held = dynamic_cast<HeldText*>(&out)) held->drop();
}
