#include "firmware/hex_verify.hpp"

#include <cinttypes>
#include <cstring>

#include "firmware/hex_address_map.hpp"
#include "text/line_reader.hpp"
#include "text/hex_digit.hpp"

namespace {

// A character of the line, or NUL past its end.
char char_at(const char* line, std::size_t length, std::size_t pos) { return pos < length ? line[pos] : '\0'; }

// How a type character is shown in the message: a missing one as a blank.
char shown(char c) { return c == '\0' ? ' ' : c; }


bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A byte that no text file holds: a control character other than the tab,
// the line ends, vertical tab, form feed and the Ctrl-Z that ends old DOS
// files.
bool is_binary(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && (u < 0x09 || u > 0x0D) && u != 0x1A) || u == 0x7F;
}

// The characters left of a line that filled a whole read, up to its line end
// (LF, CR LF, or a CR that ends the file), which is taken too.
unsigned long rest_of_line(std::FILE* fp) {
    unsigned long n = 0;
    for (int c; (c = std::getc(fp)) != EOF; ++n) {
        if (c == '\n') break;
        if (c == '\r') {
            const int next = std::getc(fp);
            if (next == '\n' || next == EOF) break;
            std::ungetc(next, fp);
        }
    }
    return n;
}

// The message for a character after the colon that is no hex digit: shown
// as itself when it can be seen, else by its value.
int not_a_digit(char c, std::size_t column, unsigned long line, Sink& out) {
    const auto u = static_cast<unsigned char>(c);
    if (u > 0x20 && u < 0x7F) {
        out.error("not a hex digit (%c) in column %lu for line %lu in Firmware file!\n", c,
                  static_cast<unsigned long>(column), line);
    } else {
        out.error("not a hex digit (0x%02x) in column %lu for line %lu in Firmware file!\n",
                  static_cast<unsigned>(u), static_cast<unsigned long>(column), line);
    }
    return HEX_NOT_A_DIGIT;
}

// The data bytes a record of type 01 to 05 holds, as the loader takes it:
// none for the end of file, 2 for a base, 4 for a start address.
unsigned byte_count_of(char type_low) {
    switch (type_low) {
    case '1': return 0;
    case '2':
    case '4': return 2;
    default: return 4;
    }
}

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
    unsigned long end_line = 0;  // the end-of-file record's line, once read
    int record_count = 0;
    bool binary = false;
    HexAddressMap written;
    char line[HEX_LINE_LIMIT + 1];
    LineReader reader(fp, HEX_LINE_LIMIT, EndAfterFullPiece::separate);
    LineRead got = LineRead::end;
    while ((got = reader.read(line)) == LineRead::line) {
        ++line_count;
        // A NUL byte is no character of a record: the line's own length
        // counts, so that nothing after a NUL is dropped unchecked.
        const std::size_t length = reader.length();
        for (std::size_t i = 0; i < length && !binary; ++i) binary = is_binary(line[i]);
        if (line[0] != ':') {
            // A record moved right by a blank would go unsent without a word.
            std::size_t first = 0;
            while (first < length && is_blank(line[first])) ++first;
            if (first > 0 && first < length && line[first] == ':') {
                out.error("blank or tab before the colon for line %lu in Firmware file!\n", line_count);
                return HEX_INDENTED;
            }
            continue;
        }
        ++record_count;
        // No record fills a whole read: the line is measured to its end.
        if (length == HEX_LINE_LIMIT) {
            if (const unsigned long more = rest_of_line(fp); more > 0) {
                out.error("record line too long (%lu characters) for line %lu in Firmware file!\n",
                          static_cast<unsigned long>(length) + more, line_count);
                return HEX_LINE_TOO_LONG;
            }
        }
        // Two files run together, or a file with something after its end.
        if (end_line != 0) {
            out.error("record after the end-of-file record (line %lu) for line %lu in Firmware file!\n",
                      end_line, line_count);
            return HEX_AFTER_END;
        }
        // A field's value ends at its first character that is no digit: a
        // letter O typed for a zero would pass the checksum.
        for (std::size_t i = 1; i < length; ++i) {
            if (hex_digit_value(line[i]) < 0) return not_a_digit(line[i], i + 1, line_count, out);
        }

        uint8_t sum = inhex_checksum(line + 1);
        if (sum != 0) {
            out.error("checksum mismatch (0x%02x) for line %lu in Firmware file!\n",
                        static_cast<unsigned>(sum), line_count);
            return HEX_BAD_CHECKSUM;
        }
        // A line too short to hold its type has the missing characters
        // counted as not matching (they are never read from beyond the line).
        char type_high = char_at(line, length, 7);
        char type_low = char_at(line, length, 8);
        if (type_high != '0' || type_low < '0' || type_low > '5') {
            out.error("invalid type (%c%c) for line %lu in Firmware file!\n", shown(type_high),
                        shown(type_low), line_count);
            return HEX_BAD_TYPE;
        }
        unsigned ll = static_cast<unsigned>(hex_to_int(line + 1, 2));
        if (length != 2 * static_cast<std::size_t>(ll) + 11 || std::strlen(line) != length) {
            out.error("invalid record length (%u) for line %lu in Firmware file!\n", ll, line_count);
            return HEX_BAD_LENGTH;
        }
        if (ll > HEX_MAX_DATA_BYTES) {
            out.error("record length > 128 (%u) for line %lu in Firmware file!\n", ll, line_count);
            return HEX_TOO_MANY_BYTES;
        }
        // The loader refuses a record of another count as one it cannot read.
        // It does not look at an end-of-file record's load offset, nor does
        // this check: most toolchains write 0000 there, srec_cat's i8hex form
        // another value (srec-i8hex.hex in the test data ends in :00010001FE).
        if (type_low != '0' && ll != byte_count_of(type_low)) {
            out.error("type 0%c record with %u data bytes (a type 0%c record holds %u) for line %lu in "
                      "Firmware file!\n",
                      type_low, ll, type_low, byte_count_of(type_low), line_count);
            return HEX_WRONG_BYTE_COUNT;
        }
        const unsigned offset = static_cast<unsigned>(hex_to_int(line + 3, 4));
        switch (type_low) {
        case '0': {
            char last = line[6];
            if (last != '0' && last != '4' && last != '8' && last != 'C' && last != 'c') {
                out.error("data record offset boundary error for line %lu in Firmware file!\n",
                            line_count);
                return HEX_BAD_OFFSET;
            }
            uint64_t address = 0;
            unsigned long first_line = 0;
            if (!written.write(offset, ll, line_count, address, first_line)) {
                out.error("address written twice (0x%08" PRIX64 ", first by line %lu) for line %lu "
                          "in Firmware file!\n",
                          address, first_line, line_count);
                return HEX_ADDRESS_TWICE;
            }
            break;
        }
        case '1': end_line = line_count; break;
        // The base is the record's two data bytes, most significant first.
        case '2': written.set_segment_base(static_cast<unsigned>(hex_to_int(line + 9, 4))); break;
        case '4': written.set_linear_base(static_cast<unsigned>(hex_to_int(line + 9, 4))); break;
        default: break;
        }
        if (records != nullptr) records->emplace_back(line, length);
    }
    if (got == LineRead::error) return HEX_READ_FAILED;
    if (record_count == 0) {
        if (binary) {
            out.error("Firmware file is not an Intel HEX file!\n");
            return HEX_NOT_TEXT;
        }
        out.error("Firmware file is empty!\n");
        return HEX_EMPTY;
    }
    // Only a whole file is sent: one that stops short of its end-of-file
    // record may have lost any number of lines.
    if (end_line == 0) {
        out.error("no end-of-file record: the file may be cut short after line %lu in Firmware file!\n",
                  line_count);
        return HEX_NO_END_RECORD;
    }
    return record_count;
}
