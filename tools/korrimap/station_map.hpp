// What korrimap draws and checks: the base station and the geographic rules,
// with the values the device will hold.
#pragma once

#include <string>
#include <vector>

#include "check/rule_areas.hpp"
#include "korrimap/geo_shapes.hpp"
#include "station/rule_record.hpp"
#include "station/station.hpp"

struct MapRule {
    RuleRecord record;  // as the device receives it
    Shape shape;        // the area of a circle or rectangle; empty for the others
};

struct StationMap {
    std::string config_name;  // the files, as given
    std::string rules_name;
    std::string call;  // call sign with its SSID, as the device announces it
    float lat;         // base position, single precision
    float lon;
    bool implicit_drop;          // the action for packets no rule matches
    int implicit_line;           // the last implicit line, 0 when none
    int call_sign_rules;         // destination and source rules, which have no place on a map
    int call_sign_pass_rules;    // those of them that pass
    std::vector<MapRule> rules;  // circle, compass, rectangle and sector rules in file order
};

// The map of the station's configuration record and rule table.
StationMap station_map(const Station& station, const std::string& config_name, const std::string& rules_name,
                       int implicit_line);

const char* direction_name(const RuleRecord& r);

// A single-precision value as the shortest decimal that reads back as the
// same value (38.840557 rather than 38.840557098388672).
double single(float value);
