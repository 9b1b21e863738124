#include "support/fuzz_check.hpp"

#include <cstdio>
#include <cstdlib>

std::string_view TargetOutput::end() {
    text_ = sink_.take();
    // KORRI_FUZZ_ECHO=1 shows what an input printed, for replaying one.
    static const bool echo = std::getenv("KORRI_FUZZ_ECHO") != nullptr;
    if (echo) std::fwrite(text_.data(), 1, text_.size(), stderr);
    return text_;
}

TargetOutput& target_output() {
    static TargetOutput output;
    return output;
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
