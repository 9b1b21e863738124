// The value of one hexadecimal digit, in either case.
#pragma once

// 0 to 15, or -1 for a character that is no hex digit.
constexpr int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
