#include "decode/decimal_text.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Single precision as the parsers narrow: to nearest, an infinity beyond the
// range.
float narrowed(double value) {
    if (std::fabs(value) > 3.4028235677973366e38) return std::signbit(value) ? -INFINITY : INFINITY;
    return static_cast<float>(value);
}

bool same_float(float a, float b) { return a == b && std::signbit(a) == std::signbit(b); }

std::string printed(const char* format, int precision, double value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

}  // namespace

std::string angle_text(float value) {
    if (!std::isfinite(value)) return {};
    // The degrees part alone carries the sign, and a result of zero is
    // always positive; the seconds part can still give a negative zero, as
    // a value too small for single precision.
    if (value == 0.0f && std::signbit(value)) return "-0:00:0.0000000000000000000000000000000000000000000015";
    // 149 fraction digits write every single-precision value exactly.
    for (int digits = 0; digits <= 150; ++digits) {
        const std::string text = printed("%.*f", digits, static_cast<double>(value));
        if (same_float(narrowed(std::strtod(text.c_str(), nullptr)), value)) return text + "D";
    }
    return {};
}

std::string real_text(float value) {
    if (std::isnan(value)) return {};
    if (std::isinf(value)) return value > 0 ? "1e+39" : "-1e+39";
    for (int digits = 1; digits <= 17; ++digits) {
        std::string text = printed("%.*g", digits, static_cast<double>(value));
        if (!same_float(narrowed(std::strtod(text.c_str(), nullptr)), value)) continue;
        // "3e+01" is 30: a whole number is written whole, its exact value
        // reading back as itself.
        if (text.find("e+") != std::string::npos && std::fabs(value) < 1e16f) return printed("%.*f", 0, static_cast<double>(value));
        return text;
    }
    return printed("%.*e", 40, static_cast<double>(value));
}
