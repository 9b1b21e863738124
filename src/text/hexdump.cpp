#include "text/hexdump.hpp"

#include <cstdio>
#include <cstring>

namespace {

constexpr char HEX_DIGITS[] = "0123456789abcdef";
constexpr char COLUMN_HEADER[] =
    "\nDec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef\n";
constexpr int BYTES_PER_LINE = 16;
constexpr int FIRST_HEX_COLUMN = 11;
constexpr int CHARS_COLUMN = 63;

void print_title(Sink& out, int style, const char* name, const void* bytes, int count) {
    const char* sep = (name != nullptr && name[0] != '\0') ? ": " : "";
    if (style == 0) {
        if (name == nullptr) {
            out.printf("hexdump: buffer addr 0x%p, length %d (0x%x):\n", bytes, count,
                         static_cast<unsigned>(count));
        } else {
            out.printf("hexdump: %s%sbuffer addr 0x%p, length %d (0x%x):\n", name, sep, bytes, count,
                         static_cast<unsigned>(count));
        }
    } else if (style & 1) {
        if (name == nullptr) {
            out.printf("hexdump: length %d (0x%x):\n", count, static_cast<unsigned>(count));
        } else {
            out.printf("%s%slength %d (0x%x):\n", name, sep, count, static_cast<unsigned>(count));
        }
    } else if (style & 2) {
        out.printf("length %d (0x%x):\n", count, static_cast<unsigned>(count));
    }
}

}  // namespace

void hexdump(int title_style, const char* name, const void* bytes, int count, int header_every, Sink& out) {
    if (bytes == nullptr) {
        out.printf("hexdump: invalid param buf ptr\n");
        return;
    }
    if (count < 0) {
        out.printf("hexdump: invalid param len %d\n", count);
        return;
    }
    print_title(out, title_style, name, bytes, count);

    const auto* data = static_cast<const unsigned char*>(bytes);
    char line[96];
    int lines_printed = 0;
    for (int offset = 0; offset < count; offset += BYTES_PER_LINE) {
        if (header_every != 0 && lines_printed % header_every == 0) {
            out.put(lines_printed == 0 ? COLUMN_HEADER + 1 : COLUMN_HEADER);
        }
        // Offsets of five digits or more widen the first field; the rest of
        // the line moves along with it.
        int head = std::snprintf(line, sizeof line, "%4d %04x| ", offset, static_cast<unsigned>(offset));
        int shift = head - FIRST_HEX_COLUMN;
        char* p = line + head;
        std::memset(p, ' ', CHARS_COLUMN - FIRST_HEX_COLUMN);
        int n = count - offset < BYTES_PER_LINE ? count - offset : BYTES_PER_LINE;
        for (int i = 0; i < n; ++i) {
            unsigned char b = data[offset + i];
            char* hex = p + static_cast<std::ptrdiff_t>(i) * 3 + (i >= 8 ? 2 : 0);
            hex[0] = HEX_DIGITS[b >> 4];
            hex[1] = HEX_DIGITS[b & 0x0F];
            line[CHARS_COLUMN + shift + i] = (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '.';
        }
        line[CHARS_COLUMN + shift - 2] = '|';
        line[CHARS_COLUMN + shift + n] = '\n';
        out.write(line, static_cast<std::size_t>(CHARS_COLUMN) + shift + n + 1);
        ++lines_printed;
    }
}
