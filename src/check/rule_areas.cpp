#include "check/rule_areas.hpp"

#include <algorithm>

#include "station/action_names.hpp"

bool is_pass(const RuleRecord& r) { return (r.action_mods & ACTION_MASK) == pass_action.rule_action; }

const char* action_name(const RuleRecord& r) { return is_pass(r) ? pass_action.word : drop_action.word; }

const char* kind_name(const RuleRecord& r) {
    switch (r.kind) {
        case KIND_CIRCLE: return "circle";
        case KIND_COMPASS: return "compass";
        case KIND_RECTANGLE: return "rectangle";
        case KIND_SECTOR: return "sector";
        default: return "?";
    }
}

Box box_of(const RuleRecord& r) {
    const double lat1 = r.lat1, lon1 = r.lon1, lat2 = r.lat2, lon2 = r.lon2;  // fields of a packed record
    return {std::min(lat1, lat2), std::min(lon1, lon2), std::max(lat1, lat2), std::max(lon1, lon2)};
}
