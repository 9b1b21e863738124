#include "text/sink.hpp"

#include <unistd.h>

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

void Sink::report(Severity severity, bool below, const char* format, va_list args) {
    // One write, as a printf of the whole message made it.
    std::string text = below ? "\n" : "";
    text += severity == Severity::error ? "\a\aError: " : "\a\aWarning: ";
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    if (n > 0) {
        const std::size_t start = text.size();
        text.resize(start + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(text.data() + start, static_cast<std::size_t>(n) + 1, format, again);
        text.pop_back();  // the NUL
    }
    va_end(again);
    if (n >= 0) put(text);
}

void Sink::error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    report(Severity::error, false, format, args);
    va_end(args);
}

void Sink::warning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    report(Severity::warning, false, format, args);
    va_end(args);
}

void Sink::error_below(const char* format, ...) {
    va_list args;
    va_start(args, format);
    report(Severity::error, true, format, args);
    va_end(args);
}

void Sink::warning_below(const char* format, ...) {
    va_list args;
    va_start(args, format);
    report(Severity::warning, true, format, args);
    va_end(args);
}

void Sink::show_hint() {
    const std::string hint = hints_.take();
    if (!hint.empty() && operator_at_terminal()) printf("Hint: %s\n", hint.c_str());
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

namespace {

Sink::Reader reader_of_standard_output() {
    if (isatty(STDOUT_FILENO) == 0) return Sink::Reader::program;
    return isatty(STDIN_FILENO) != 0 ? Sink::Reader::operator_at_terminal : Sink::Reader::terminal;
}

}  // namespace

Sink& standard_output() {
    static FileSink console = [] {  // one, as standard output is one per process
        FileSink made(stdout);
        made.set_reader(reader_of_standard_output());
        return made;
    }();
    return console;
}
