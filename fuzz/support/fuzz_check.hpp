// What the fuzz targets share: gathering what the code under test prints, and
// failing a check in a way libFuzzer records as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/sink.hpp"

// What a target's code under test prints: the target hands sink() to the
// shell (shell.out), to the port (SerialPort::set_out) or to the function it
// calls. begin() empties it, end() returns what was printed since.
class TargetOutput {
public:
    void begin() { (void)sink_.take(); }
    std::string_view end();
    StringSink& sink() { return sink_; }

private:
    StringSink sink_;
    std::string text_;
};

// The one output of the process.
TargetOutput& target_output();

// Reports a failed check with the input's output and aborts, so that
// libFuzzer keeps the input as a crash.
[[noreturn]] void check_failed(const char* what, std::string_view output);

#define FUZZ_CHECK(condition, output)                                                    \
    do {                                                                                 \
        if (!(condition)) check_failed(__FILE__ ":" FUZZ_STR(__LINE__) ": " #condition, (output)); \
    } while (0)
#define FUZZ_STR(x) FUZZ_STR2(x)
#define FUZZ_STR2(x) #x

// How often `needle` occurs in `text`.
std::size_t count_of(std::string_view text, std::string_view needle);

// How often `needle` begins a line of `text` (at its start or after a line feed).
std::size_t count_at_line_starts(std::string_view text, std::string_view needle);

// Where `needle` first begins a line of `text`, or npos.
std::size_t find_at_line_start(std::string_view text, std::string_view needle);

// The input as a stream, as a file would give it (binary, every byte). The
// stream is closed by the caller.
std::FILE* input_stream(const uint8_t* data, std::size_t size);
