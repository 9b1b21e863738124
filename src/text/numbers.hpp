// Reading numbers from argument texts, and narrowing values to the single
// precision the device's images hold.
#pragma once

#include <cstdint>

// Decimal integer: optional leading white space and one sign, then digits up
// to the first other character; 0 when there are no digits. Clamped to the
// 32-bit range.
int32_t parse_decimal(const char* text);

// As parse_decimal, but 0x or 0X before the digits makes them hexadecimal and
// a leading 0 octal.
int32_t parse_prefixed(const char* text);

// Decimal floating-point number: leading white space skipped, then the
// longest prefix that forms a number (optional sign, digits, optional fraction
// and exponent); 0 when the text has no such prefix.
double parse_real(const char* text);

// A value narrowed to single precision as IEEE rounding to nearest does: a
// magnitude beyond the single-precision range becomes an infinity.
float to_single(double value);
