// A second opinion on a Rules file: likely mistakes that the parser cannot
// see, because every value is valid on its own.
#pragma once

#include <string>
#include <vector>

#include "korrimap/station_map.hpp"

inline constexpr double FAR_MILES = 500;  // an area farther from the station than this is suspect

struct RuleWarning {
    int line;  // in the Rules file
    std::string message;
};

// The warnings, in the order of their lines:
// - a circle, rectangle or compass point more than FAR_MILES from the base
//   station, with where the other sign of its latitude or longitude puts it;
// - a rectangle whose corners are not north-west, then south-east;
// - a circle or rectangle entirely inside an earlier circle or rectangle;
// - a drop implicit action with no pass rule at all;
// - a sector without an outer range.
std::vector<RuleWarning> check_rules(const StationMap& map);
