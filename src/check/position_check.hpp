// A position (or base) line whose angles hold blanks but still read: the
// parser takes the first two words as latitude and longitude and ignores the
// rest, so "position 39d 23.76m W 104d 51.04m" puts the station at 39, 0.396.
#pragma once

#include <string>

// The warning for the line `line_copy`, or empty.
std::string position_blanks_warning(const char* line_copy);
