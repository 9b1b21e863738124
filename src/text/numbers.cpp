#include "text/numbers.hpp"

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
// White space as the C locale has it, whatever locale the console set.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

int32_t parse_decimal(const char* text) { return clamped(std::strtoll(text, nullptr, 10)); }

int32_t parse_prefixed(const char* text) { return clamped(std::strtoll(text, nullptr, 0)); }

DecimalScan scan_decimal(std::string_view text, bool fraction, bool exponent) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    const std::size_t start = i;
    DecimalScan scan;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) scan.negative = text[i++] == '-';
    const auto digits = [&] {
        for (; i < text.size() && is_digit(text[i]); ++i) scan.digits = true;
    };
    digits();
    if (fraction && i < text.size() && text[i] == '.') {
        ++i;
        digits();
    }
    if (exponent && scan.digits && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && is_digit(text[j])) {
            for (i = j; i < text.size() && is_digit(text[i]); ++i) {}
        }
    }
    scan.number = text.substr(start, i - start);
    return scan;
}

double decimal_value(const DecimalScan& scan) {
    const std::string number(scan.number);
    return std::strtod(number.c_str(), nullptr);
}

double parse_real(const char* text) {
    const DecimalScan scan = scan_decimal(text, true, true);
    return scan.digits ? decimal_value(scan) : 0;
}

float to_single(double value) {
    constexpr double overflow = static_cast<double>(FLT_MAX) + 0x1p103;  // halfway to 2^128
    if (value >= overflow) return std::numeric_limits<float>::infinity();
    if (value <= -overflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}
