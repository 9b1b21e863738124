// Reading numbers from argument texts, and narrowing values to the single
// precision the device's images hold.
#pragma once

#include <cstdint>
#include <string_view>

// Decimal integer: optional leading white space and one sign, then digits up
// to the first other character; 0 when there are no digits. Clamped to the
// 32-bit range.
int32_t parse_decimal(const char* text);

// As parse_decimal, but 0x or 0X before the digits makes them hexadecimal and
// a leading 0 octal.
int32_t parse_prefixed(const char* text);

// The one reading of decimal numbers: white space skipped, then an optional
// sign, digits and, as the caller asks, a point with fraction digits and an
// exponent (an e or E with an optional sign, taken only when a digit
// follows). The scan stops at the first character that does not belong.
struct DecimalScan {
    std::string_view number;  // from the sign on, as far as the number goes
    bool negative = false;    // a minus sign was written
    bool digits = false;      // at least one digit, before or after the point
};
DecimalScan scan_decimal(std::string_view text, bool fraction, bool exponent);

// The value of a scan with digits, correctly rounded. Only the scanned text
// is converted, so nothing beyond it is read (no hexadecimal, no infinity).
double decimal_value(const DecimalScan& scan);

// Decimal floating-point number: leading white space skipped, then the
// longest prefix that forms a number (optional sign, digits, optional fraction
// and exponent); 0 when the text has no such prefix.
double parse_real(const char* text);

// A value narrowed to single precision as IEEE rounding to nearest does: a
// magnitude beyond the single-precision range becomes an infinity.
float to_single(double value);
