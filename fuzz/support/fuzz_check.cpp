#include "support/fuzz_check.hpp"

#include <cstdio>
#include <cstdlib>

namespace {

ssize_t write_to_capture(void* cookie, const char* data, size_t size) {
    static_cast<CapturedOutput*>(cookie)->append(data, size);
    return static_cast<ssize_t>(size);
}

}  // namespace

CapturedOutput::CapturedOutput() {
    text_.reserve(1 << 16);
    cookie_io_functions_t io{};
    io.write = write_to_capture;
    std::FILE* stream = fopencookie(this, "w", io);
    if (stream == nullptr) {
        std::perror("fopencookie");
        std::abort();
    }
    std::fflush(stdout);
    std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
    stdout = stream;
    sink_ = std::make_unique<FileSink>(stream);
}

void CapturedOutput::begin() {
    std::fflush(stdout);
    text_.clear();
}

std::string_view CapturedOutput::end() {
    std::fflush(stdout);
    // KORRI_FUZZ_ECHO=1 shows what an input printed, for replaying one.
    static const bool echo = std::getenv("KORRI_FUZZ_ECHO") != nullptr;
    if (echo) std::fwrite(text_.data(), 1, text_.size(), stderr);
    return text_;
}

CapturedOutput& captured_output() {
    static CapturedOutput capture;
    return capture;
}

void check_failed(const char* what, std::string_view output) {
    std::fprintf(stderr, "\n==== failed check: %s\n==== output of the input (%zu bytes):\n", what, output.size());
    std::fwrite(output.data(), 1, output.size() < 4096 ? output.size() : 4096, stderr);
    std::fprintf(stderr, "\n==== end of output\n");
    std::abort();
}

std::size_t count_of(std::string_view text, std::string_view needle) {
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

std::size_t count_at_line_starts(std::string_view text, std::string_view needle) {
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1))
        if (at == 0 || text[at - 1] == '\n') ++n;
    return n;
}

std::size_t find_at_line_start(std::string_view text, std::string_view needle) {
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1))
        if (at == 0 || text[at - 1] == '\n') return at;
    return std::string_view::npos;
}

std::FILE* input_stream(const uint8_t* data, std::size_t size) {
    static char empty[1];
    void* buffer = size == 0 ? static_cast<void*>(empty) : const_cast<uint8_t*>(data);
    std::FILE* f = fmemopen(buffer, size, "r");
    if (f == nullptr) {
        std::perror("fmemopen");
        std::abort();
    }
    return f;
}
