#include "firmware_image.hpp"

#include <cstdio>

#include "text/hex_digit.hpp"

RecordCheck check_record_line(const std::string& line, HexRecord& record) {
    if (line.empty() || line[0] != ':') return RecordCheck::no_start;
    if (line.size() > LOADER_MAX_LINE) return RecordCheck::too_long;
    const std::size_t digits = line.size() - 1;
    if (digits < 10 || digits % 2 != 0) return RecordCheck::bad_syntax;
    std::vector<uint8_t> bytes;
    for (std::size_t i = 1; i < line.size(); i += 2) {
        int high = hex_digit_value(line[i]);
        int low = hex_digit_value(line[i + 1]);
        if (high < 0 || low < 0) return RecordCheck::bad_syntax;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    if ((sum & 0xFFu) != 0) return RecordCheck::bad_checksum;

    const unsigned ll = bytes[0];
    if (bytes.size() != ll + 5u) return RecordCheck::bad_syntax;
    record.offset = static_cast<unsigned>(bytes[1]) << 8 | bytes[2];
    record.type = bytes[3];
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    switch (record.type) {
    case 0: return RecordCheck::ok;
    case 1: return ll == 0 ? RecordCheck::ok : RecordCheck::bad_syntax;
    case 2:
    case 4: return ll == 2 ? RecordCheck::ok : RecordCheck::bad_syntax;
    case 3:
    case 5: return ll == 4 ? RecordCheck::ok : RecordCheck::bad_syntax;
    default: return RecordCheck::bad_syntax;
    }
}

bool FirmwareImage::apply(const HexRecord& record) {
    switch (record.type) {
    case 0:
        for (std::size_t i = 0; i < record.data.size(); ++i) {
            uint32_t address;
            if (linear_) {
                address = linear_base_ + record.offset + static_cast<uint32_t>(i);
            } else {
                // Segment addresses wrap within their 64 KiB segment.
                address = segment_base_ + ((record.offset + static_cast<uint32_t>(i)) & 0xFFFFu);
            }
            bytes_[address] = record.data[i];
        }
        return false;
    case 1: return true;
    case 2:
        segment_base_ = (static_cast<uint32_t>(record.data[0]) << 8 | record.data[1]) << 4;
        linear_ = false;
        return false;
    case 4:
        linear_base_ = (static_cast<uint32_t>(record.data[0]) << 8 | record.data[1]) << 16;
        linear_ = true;
        return false;
    default: return false;  // start addresses do not change the image
    }
}

bool FirmwareImage::write_binary(const std::string& path) const {
    // Written aside and renamed, so that a reader never sees half an image.
    const std::string part = path + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = true;
    // Contiguous runs are written at their offsets; seeking past the end
    // leaves zeros in the gaps.
    auto it = bytes_.begin();
    while (ok && it != bytes_.end()) {
        const uint32_t start = it->first;
        std::vector<uint8_t> run;
        uint32_t next = start;
        while (it != bytes_.end() && it->first == next) {
            run.push_back(it->second);
            ++it;
            ++next;
        }
        ok = std::fseek(f, static_cast<long>(start), SEEK_SET) == 0 &&
             std::fwrite(run.data(), 1, run.size(), f) == run.size();
    }
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(part.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(part.c_str());
    return ok;
}
