// Where the program's messages go. Every layer that prints (the parsers, the
// displays, the protocols, the port) is handed a Sink; the console's is
// standard output, and a caller that wants the text itself (the file checks,
// korrimap, the tests) hands down a StringSink instead. The sink also carries
// the hint of the command under way, and knows who reads it: a terminal, and
// whether the operator there types the input too.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/hints.hpp"

class Sink {
public:
    virtual ~Sink() = default;
    // The bytes as they are, NUL bytes included.
    virtual void write(const char* data, std::size_t size) = 0;
    // Sends on what is held back (a FILE's buffer); nothing for a string.
    virtual void flush() {}

    [[gnu::format(printf, 2, 3)]] void printf(const char* format, ...);
    void vprintf(const char* format, va_list args);

    // How bad a message is: its prefix, "\a\aError: " or "\a\aWarning: ".
    enum class Severity { error, warning };
    // The prefix, then the text as printf formats it.
    [[gnu::format(printf, 2, 3)]] void error(const char* format, ...);
    [[gnu::format(printf, 2, 3)]] void warning(const char* format, ...);
    // The same on a line of its own: a line feed first, below a line left
    // open (a countdown, a question's echo).
    [[gnu::format(printf, 2, 3)]] void error_below(const char* format, ...);
    [[gnu::format(printf, 2, 3)]] void warning_below(const char* format, ...);
    void report(Severity severity, bool below, const char* format, va_list args);
    void put(std::string_view text) { write(text.data(), text.size()); }
    void put(char c) { write(&c, 1); }

    // What reads the text: nothing at a terminal (a pipe, a file, a string),
    // a terminal, or an operator at the terminal who types the input there too.
    enum class Reader { program, terminal, operator_at_terminal };
    // True when the text shows on a terminal.
    bool at_terminal() const { return reader_ != Reader::program; }
    // True when an operator at a terminal reads it and types the input: the
    // hints, countdowns and notes are for them only.
    bool operator_at_terminal() const { return reader_ == Reader::operator_at_terminal; }
    void set_reader(Reader reader) { reader_ = reader; }

    // The hint of the command under way.
    Hints& hints() { return hints_; }
    // Prints the offered hint as "Hint: ...\n" when the operator is at a
    // terminal, and forgets it either way.
    void show_hint();

private:
    Reader reader_ = Reader::program;
    Hints hints_;
};

// Writes to a C stream, with the stream's own buffering.
class FileSink final : public Sink {
public:
    explicit FileSink(std::FILE* stream) : stream_(stream) {}
    void write(const char* data, std::size_t size) override;
    void flush() override;
    std::FILE* stream() const { return stream_; }

private:
    std::FILE* stream_;
};

// Keeps what is written, for a caller that shows it later or looks at it.
class StringSink final : public Sink {
public:
    void write(const char* data, std::size_t size) override { text_.append(data, size); }
    const std::string& text() const { return text_; }
    // Returns what was written and starts again empty.
    std::string take();

private:
    std::string text_;
};

// The console: standard output, its reader found when it is first used.
Sink& standard_output();
