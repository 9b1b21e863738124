// The addresses a HEX file's data records write, as the loader places them:
// an extended segment address (type 02) gives a base of its value times 16,
// within which offsets wrap at 64 KiB; an extended linear address (type 04)
// gives a base of its value times 65536. The last of the two read decides.
#pragma once

#include <cstdint>
#include <map>

class HexAddressMap {
public:
    void set_segment_base(unsigned segment);
    void set_linear_base(unsigned upper);

    // Records `count` bytes at `offset` from the current base as written by
    // file line `line`. When any of them was written before, nothing is
    // recorded and false is returned, with the lowest such address and the
    // line that wrote it first.
    bool write(unsigned offset, unsigned count, unsigned long line, uint64_t& address, unsigned long& first_line);

private:
    struct Run {
        uint64_t end;  // one past the last address
        unsigned long line;
    };
    // The lowest address of [start, end) already written, if any.
    bool overlap(uint64_t start, uint64_t end, uint64_t& address, unsigned long& first_line) const;

    std::map<uint64_t, Run> runs_;  // by first address; never overlapping
    uint64_t base_ = 0;
    bool segmented_ = true;
};
