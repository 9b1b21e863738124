#include "text/line_reader.hpp"

namespace {

// Takes a line end at the reading position, if there is one: LF, CR LF, or a
// CR that ends the file.
bool take_line_end(std::FILE* file, int c) {
    if (c == '\n') return true;
    if (c != '\r') return false;
    const int next = std::getc(file);
    if (next == '\n' || next == EOF) return true;
    std::ungetc(next, file);
    return false;
}

}  // namespace

LineRead LineReader::read(char* buffer) {
    std::size_t n = 0;
    bool got_any = false;
    int c = EOF;
    while (n < limit_ && (c = std::getc(file_)) != EOF) {
        got_any = true;
        if (take_line_end(file_, c)) {
            buffer[n] = '\0';
            length_ = n;
            return LineRead::line;
        }
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    length_ = n;
    if (c == EOF && std::ferror(file_)) return LineRead::error;
    if (!got_any) return LineRead::end;
    if (n == limit_ && end_after_full_piece_ == EndAfterFullPiece::belongs) {
        const int next = std::getc(file_);
        if (next != EOF && !take_line_end(file_, next)) std::ungetc(next, file_);
        if (next == EOF && std::ferror(file_)) return LineRead::error;
    }
    return LineRead::line;
}
