#include "firmware/hex_address_map.hpp"

#include <iterator>

namespace {

constexpr uint64_t SEGMENT_SIZE = 0x10000;

}  // namespace

void HexAddressMap::set_segment_base(unsigned segment) {
    base_ = static_cast<uint64_t>(segment & 0xFFFFu) << 4;
    segmented_ = true;
}

void HexAddressMap::set_linear_base(unsigned upper) {
    base_ = static_cast<uint64_t>(upper & 0xFFFFu) << 16;
    segmented_ = false;
}

bool HexAddressMap::overlap(uint64_t start, uint64_t end, uint64_t& address, unsigned long& first_line) const {
    auto next = runs_.upper_bound(start);
    if (next != runs_.begin()) {
        auto before = std::prev(next);
        if (before->second.end > start) {
            address = start;
            first_line = before->second.line;
            return true;
        }
    }
    if (next != runs_.end() && next->first < end) {
        address = next->first;
        first_line = next->second.line;
        return true;
    }
    return false;
}

bool HexAddressMap::write(unsigned offset, unsigned count, unsigned long line, uint64_t& address,
                          unsigned long& first_line) {
    if (count == 0) return true;
    const uint64_t start = base_ + offset;
    uint64_t end = start + count;
    // A segment's offsets wrap: what passes its end lands at its start.
    uint64_t wrapped_end = base_;
    if (segmented_ && offset + static_cast<uint64_t>(count) > SEGMENT_SIZE) {
        end = base_ + SEGMENT_SIZE;
        wrapped_end = base_ + (offset + count - SEGMENT_SIZE);
    }
    if (overlap(start, end, address, first_line)) return false;
    if (wrapped_end > base_ && overlap(base_, wrapped_end, address, first_line)) return false;
    runs_[start] = Run{end, line};
    if (wrapped_end > base_) runs_[base_] = Run{wrapped_end, line};
    return true;
}
