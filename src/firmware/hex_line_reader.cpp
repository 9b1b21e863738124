#include "firmware/hex_verify.hpp"

bool read_hex_line(std::FILE* fp, char* line) {
    std::size_t n = 0;
    bool got_any = false;
    while (n < HEX_LINE_LIMIT) {
        int c = std::getc(fp);
        if (c == EOF) break;
        got_any = true;
        if (c == '\r') {
            // A CR LF line end reads as LF, as it does in text mode.
            int next = std::getc(fp);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, fp);
            }
        }
        line[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    line[n] = '\0';
    if (n > 0 && line[n - 1] == '\n') line[n - 1] = '\0';
    return got_any;
}
