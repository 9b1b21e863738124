// What to tell the operator about a position (or base) line whose angle was
// refused, when the fix is plain: the line written again with each angle
// written together (a Configuration file's angle ends at the first blank, so
// "N 39d 23.76m" is read as "N"), or with latitude and longitude the right
// way round.
#pragma once

class Sink;

#include <string>

// The hint for the line `line_copy`, or empty when no fix fits.
std::string position_hint(const char* line_copy);

// The line written with its angles together, when more than two words
// follow the keyword and they part into a latitude and a longitude that way;
// empty otherwise. `read` gets the two words the parser reads.
std::string position_written_together(const char* line_copy, std::string (&read)[2]);

// Offers position_hint(line_copy) in place of any hint before it.
void offer_position_hint(Sink& out, const char* line_copy);
