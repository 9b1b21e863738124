#include "check/position_check.hpp"

#include "config/position_hint.hpp"

std::string position_blanks_warning(const char* line_copy) {
    std::string read[2];
    const std::string fixed = position_written_together(line_copy, read);
    if (fixed.empty()) return "";
    return "the position is read as latitude " + read[0] + " and longitude " + read[1] +
           ", the rest ignored: an angle in a Configuration file ends at its first blank; write " + fixed;
}
