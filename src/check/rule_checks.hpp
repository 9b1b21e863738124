// A second opinion on a Rules file: likely mistakes that the parser cannot
// see, because every value is valid on its own.
#pragma once

#include <vector>

#include "check/check_warning.hpp"
#include "station/rule_record.hpp"

struct Station;

inline constexpr double FAR_MILES = 500;  // an area farther from the station than this is suspect

// The base station the rules are checked against.
struct CheckStation {
    bool known = false;  // a Configuration file is in force; else no distance is checked
    double lat = 0;
    double lon = 0;
    int position_line = 0;  // the file's position (or base) line; 0 when it has none
};

struct CheckRules {
    std::vector<RuleRecord> rules;  // the records in use, in file order
    bool implicit_drop = false;
    int implicit_line = 0;  // the last implicit line, 0 when none
};

// The station's rule table and implicit action.
CheckRules rules_in_memory(const Station& station, int implicit_line);

// The warnings, in the order of their lines:
// - the base station's own position, when two or more circles, rectangles
//   and compass points all lie more than FAR_MILES from it and the other sign of its
//   latitude, its longitude or both brings every one within FAR_MILES (a
//   warning on the Configuration file's position line, instead of one on
//   every rule);
// - otherwise each circle, rectangle or compass point more than FAR_MILES
//   from the base station, with where the other sign of its latitude or
//   longitude puts it;
// - a rectangle whose corners are not north-west, then south-east;
// - a circle or rectangle entirely inside an earlier circle or rectangle;
// - a drop implicit action with no pass rule at all;
// - a sector without an outer range.
std::vector<CheckWarning> check_rules(const CheckStation& station, const CheckRules& rules);
