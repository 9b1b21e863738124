#include "text/sink.hpp"

#include <vector>

void Sink::printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
}

void Sink::vprintf(const char* format, va_list args) {
    char small[512];
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    if (n < 0) {
        va_end(again);
        return;
    }
    const auto length = static_cast<std::size_t>(n);
    if (length < sizeof small) {
        write(small, length);
    } else {
        std::vector<char> large(length + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        write(large.data(), length);
    }
    va_end(again);
}

void FileSink::write(const char* data, std::size_t size) {
    if (size != 0) std::fwrite(data, 1, size, stream_);
}

void FileSink::flush() { std::fflush(stream_); }

std::string StringSink::take() {
    std::string out;
    out.swap(text_);
    return out;
}

Sink& standard_output() {
    static FileSink console(stdout);  // one, as standard output is one per process
    return console;
}
