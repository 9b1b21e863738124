// dmctodeg on a NUL-terminated copy of the input: either ANGLE_ERROR after
// exactly one message, or a finite value in [-360, 360] with nothing printed.
#include <cmath>
#include <cstdint>
#include <string>

#include "angles/angles.hpp"
#include "support/fuzz_check.hpp"
#include "text/sink.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    StringSink printed;
    const double value = dmctodeg(text.c_str(), printed);
    const std::string_view out = printed.text();

    if (value == ANGLE_ERROR) {
        // Each message names its fault once; the characters it quotes from
        // the text are single ones, so they cannot spell the word.
        FUZZ_CHECK(count_of(out, "Error") == 1, out);
        FUZZ_CHECK(!out.empty() && out.back() == '\n', out);
        return 0;
    }
    FUZZ_CHECK(out.empty(), out);
    FUZZ_CHECK(std::isfinite(value), out);
    FUZZ_CHECK(value >= -360.0 && value <= 360.0, out);
    FUZZ_CHECK(!(value == 0.0 && std::signbit(value)), out);  // no negative zero
    return 0;
}
