#include "angles/number_reading.hpp"

#include <cstdlib>
#include <string>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

double read_number(std::string_view text, bool with_fraction) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t first = i;
    bool any_digit = false;
    while (i < text.size() && is_digit(text[i])) {
        ++i;
        any_digit = true;
    }
    if (with_fraction && i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i])) {
            ++i;
            any_digit = true;
        }
    }
    double magnitude = 0.0;
    if (any_digit) {
        // strtod rounds correctly; the copy holds only digits and one point,
        // so nothing beyond the reading can be taken in (no exponent, no hex).
        const std::string digits(text.substr(first, i - first));
        magnitude = std::strtod(digits.c_str(), nullptr);
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace

double integer_reading(std::string_view text) { return read_number(text, false); }

double real_reading(std::string_view text) { return read_number(text, true); }

