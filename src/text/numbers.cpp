#include "text/numbers.hpp"

#include <cctype>
#include <cfloat>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

int32_t clamped(long long v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t parse_decimal(const char* text) { return clamped(std::strtoll(text, nullptr, 10)); }

int32_t parse_prefixed(const char* text) { return clamped(std::strtoll(text, nullptr, 0)); }

double parse_real(const char* text) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (is_digit(*p)) ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (is_digit(*p)) ++p, ++digits;
    }
    if (digits == 0) return 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (is_digit(*q)) {
            while (is_digit(*q)) ++q;
            p = q;
        }
    }
    // Only the decimal text found is converted, so strtod cannot read more
    // (no hexadecimal, no infinity).
    const std::string number(start, p);
    return std::strtod(number.c_str(), nullptr);
}

float to_single(double value) {
    constexpr double overflow = static_cast<double>(FLT_MAX) + 0x1p103;  // halfway to 2^128
    if (value >= overflow) return std::numeric_limits<float>::infinity();
    if (value <= -overflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}
