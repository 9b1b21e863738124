// Angle, latitude and longitude texts in the Colon, Dotted and DMC notations.
#pragma once

#include <cfloat>

#include "text/sink.hpp"

// What dmctodeg returns on failure: the largest finite single-precision value.
inline constexpr double ANGLE_ERROR = FLT_MAX;

// Signed decimal degrees (negative for South and West) of an angle text, or
// ANGLE_ERROR after printing one message to `out`.
double dmctodeg(const char* text, Sink& out);

// Prints the help text of the angles command.
void show_angles_help(Sink& out);
