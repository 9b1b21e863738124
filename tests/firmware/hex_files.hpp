// Building Intel HEX text for the firmware tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_file.hpp"

// A record line (no line end) with the given fields and its correct checksum;
// `ll` is written as given, whatever the number of data bytes.
inline std::string hex_record(unsigned ll, unsigned offset, unsigned type, const std::vector<uint8_t>& data) {
    char head[16];
    std::snprintf(head, sizeof head, ":%02X%04X%02X", ll & 0xFFu, offset & 0xFFFFu, type & 0xFFu);
    std::string line = head;
    unsigned sum = ll + (offset >> 8) + (offset & 0xFF) + type;
    for (uint8_t b : data) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02X", b);
        line += pair;
        sum += b;
    }
    char check[4];
    std::snprintf(check, sizeof check, "%02X", (0x100u - (sum & 0xFFu)) & 0xFFu);
    return line + check;
}

inline std::string data_record(unsigned offset, std::size_t count, uint8_t first = 0) {
    std::vector<uint8_t> data(count);
    for (std::size_t i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(first + i);
    return hex_record(static_cast<unsigned>(count), offset, 0, data);
}

// A file of `lines` data records of 16 bytes and an end-of-file record.
inline std::string hex_file_of(int lines) {
    std::string text;
    for (int i = 0; i < lines - 1; ++i) text += data_record(static_cast<unsigned>(i) * 16, 16, static_cast<uint8_t>(i)) + "\n";
    return text + ":00000001FF\n";
}

