// The shortest texts that the two file parsers read back into the very
// single-precision value an image holds.
#pragma once

#include <string>

// An angle, latitude or longitude as a DMC degrees text ("39.396D",
// "-104.75D"): the fewest fraction digits whose reading, narrowed to single
// precision, is `value` again. A negative zero, which no plain degrees text
// gives, is written in Colon notation with the smallest seconds there are.
// Empty for a value that is not finite.
std::string angle_text(float value);

// A radius or a range as a decimal number ("25", "0.5", "1e+39" for an
// infinity): the fewest significant digits that read back into `value`.
// Empty for a NaN.
std::string real_text(float value);
