// What the checks and the map read from a rule record: its action, its kind
// and the box of a rectangle.
#pragma once

#include "station/rule_record.hpp"

// Latitude and longitude bounds of a rectangle rule, whichever corner comes
// first.
struct Box {
    double south, west, north, east;
};
Box box_of(const RuleRecord& r);

bool is_pass(const RuleRecord& r);
const char* action_name(const RuleRecord& r);  // "pass" or "drop"
const char* kind_name(const RuleRecord& r);    // "circle", "compass", "rectangle", "sector"
