// Reading the numbers of an angle text: leading white space, an optional
// sign, decimal digits and, for a real reading, a decimal point with fraction
// digits. A reading stops at the first other character; no digits give 0.
#pragma once

#include <string_view>

// The value keeps the sign that was written, so "-0" and "-" read as -0.0:
// the caller can tell a negative zero degrees part from a positive one.
double integer_reading(std::string_view text);
double real_reading(std::string_view text);
