// The memory image the firmware loader builds from the record lines it
// accepts: data records land at their addresses, with the extended segment
// (type 02) and extended linear (type 04) addresses honoured.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What checking one received record line found.
enum class RecordCheck { ok, no_start, bad_checksum, bad_syntax, too_long };

struct HexRecord {
    unsigned type = 0;
    unsigned offset = 0;
    std::vector<uint8_t> data;
};

// The longest record line the loader's buffer holds: 128 data bytes.
inline constexpr std::size_t LOADER_MAX_LINE = 2 * 128 + 11;

// Checks a received record line (without its CR): the start character, the
// hex digits and the checksum, then the record's syntax (LL agrees with the
// length, type 00 to 05, the address records' lengths).
RecordCheck check_record_line(const std::string& line, HexRecord& record);

class FirmwareImage {
public:
    // Applies an accepted record; returns true for the end-of-file record.
    bool apply(const HexRecord& record);
    // Writes the image as a binary file that starts at address 0: every byte
    // not written by a data record is 0, and the file ends at the highest
    // address written. Returns false when the file cannot be written.
    bool write_binary(const std::string& path) const;
    std::size_t byte_count() const { return bytes_.size(); }

private:
    std::map<uint32_t, uint8_t> bytes_;
    uint32_t segment_base_ = 0;  // from a type 02 record
    uint32_t linear_base_ = 0;   // from a type 04 record
    bool linear_ = false;        // the last address record was type 04
};
