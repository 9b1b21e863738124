#include "firmware/hex_verify.hpp"

#include <cstring>

#include "text/line_reader.hpp"

namespace {

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A character of the line, or NUL past its end.
char char_at(const char* line, std::size_t length, std::size_t pos) { return pos < length ? line[pos] : '\0'; }

// How a type character is shown in the message: a missing one as a blank.
char shown(char c) { return c == '\0' ? ' ' : c; }

}  // namespace

int hex_to_int(const char* text, int n) {
    if (text == nullptr || n < 1) return 0;
    int i = 0;
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned value = 0;
    for (; i < n; ++i) {
        int d = hex_digit_value(text[i]);
        if (d < 0) break;
        value = value * 16u + static_cast<unsigned>(d);
    }
    return static_cast<int>(negative ? 0u - value : value);
}

uint8_t inhex_checksum(const char* text) {
    unsigned sum = 0;
    std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; i += 2) {
        int width = length - i >= 2 ? 2 : 1;
        sum += static_cast<unsigned>(hex_to_int(text + i, width));
    }
    return static_cast<uint8_t>(sum & 0xFFu);
}

int inhexverify(std::FILE* fp, std::vector<std::string>* records, Sink& out) {
    if (fp == nullptr) {
        out.printf("inhexverify: Error: param fp is invalid\n");
        return HEX_NO_FILE;
    }
    std::rewind(fp);
    if (records != nullptr) records->clear();
    unsigned long line_count = 0;
    int record_count = 0;
    char line[HEX_LINE_LIMIT + 1];
    LineReader reader(fp, HEX_LINE_LIMIT, EndAfterFullPiece::separate);
    LineRead got = LineRead::end;
    while ((got = reader.read(line)) == LineRead::line) {
        ++line_count;
        if (line[0] != ':') continue;
        ++record_count;
        // A NUL byte is no character of a record: the line's own length
        // counts, so that nothing after a NUL is dropped unchecked.
        const std::size_t length = reader.length();

        uint8_t sum = inhex_checksum(line + 1);
        if (sum != 0) {
            out.printf("\a\aError: checksum mismatch (0x%02x) for line %lu in Firmware file!\n",
                        static_cast<unsigned>(sum), line_count);
            return HEX_BAD_CHECKSUM;
        }
        // A line too short to hold its type has the missing characters
        // counted as not matching (they are never read from beyond the line).
        char type_high = char_at(line, length, 7);
        char type_low = char_at(line, length, 8);
        if (type_high != '0' || type_low < '0' || type_low > '5') {
            out.printf("\a\aError: invalid type (%c%c) for line %lu in Firmware file!\n", shown(type_high),
                        shown(type_low), line_count);
            return HEX_BAD_TYPE;
        }
        unsigned ll = static_cast<unsigned>(hex_to_int(line + 1, 2));
        if (length != 2 * static_cast<std::size_t>(ll) + 11 || std::strlen(line) != length) {
            out.printf("\a\aError: invalid record length (%u) for line %lu in Firmware file!\n", ll, line_count);
            return HEX_BAD_LENGTH;
        }
        if (ll > HEX_MAX_DATA_BYTES) {
            out.printf("\a\aError: record length > 128 (%u) for line %lu in Firmware file!\n", ll, line_count);
            return HEX_TOO_MANY_BYTES;
        }
        if (type_low == '0') {
            char last = line[6];
            if (last != '0' && last != '4' && last != '8' && last != 'C' && last != 'c') {
                out.printf("\a\aError: data record offset boundary error for line %lu in Firmware file!\n",
                            line_count);
                return HEX_BAD_OFFSET;
            }
        }
        if (records != nullptr) records->emplace_back(line, length);
    }
    if (got == LineRead::error) return HEX_READ_FAILED;
    if (record_count == 0) {
        out.printf("\a\aError: Firmware file is empty!\n");
        return HEX_EMPTY;
    }
    return record_count;
}
