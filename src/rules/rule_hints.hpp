// What to tell the operator about a rule line whose angle could not be
// taken, when the fix is plain: the line written again with commas where only
// blanks part its arguments, or with latitude and longitude the right way
// round; and, for an angle that could not be read at all, the notations.
#pragma once

class Sink;

#include <string>

// The line written again with its fix, as the hint says it; empty when no
// fix fits. `line_text` is the whole rule line.
std::string rule_line_hint(const char* line_text);

// After the range message of the angle `angle_text`, whose value is `value`:
// offers rule_line_hint in place of any hint before it; else, for an angle
// that could not be read at all (ANGLE_ERROR), the unreadable-angle hint.
void offer_rule_angle_hints(Sink& out, const char* line_text, const char* angle_text, double value);
