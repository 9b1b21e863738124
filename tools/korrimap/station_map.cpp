#include "korrimap/station_map.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "station/config_record.hpp"
#include "station/station.hpp"

namespace {

std::string call_with_ssid(const ConfigRecord& config) {
    std::string call(config.call_sign, strnlen(config.call_sign, sizeof config.call_sign));
    if (config.ssid != 0) call += "-" + std::to_string(config.ssid);
    return call;
}

}  // namespace

const char* direction_name(const RuleRecord& r) {
    return r.direction < COMPASS_DIRECTION_COUNT ? compass_direction_names[r.direction] : compass_direction_names[0];
}

double single(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text - 1, value).ptr;
    *end = '\0';
    return std::strtod(text, nullptr);
}

StationMap station_map(const Station& station, const std::string& config_name, const std::string& rules_name,
                       int implicit_line) {
    const ConfigRecord& config = station.config;
    StationMap map{config_name,
                   rules_name,
                   call_with_ssid(config),
                   config.base_lat,
                   config.base_lon,
                   config.implicit_action == IMPLICIT_DROP,
                   implicit_line,
                   0,
                   0,
                   {}};
    for (int i = 0; i < config.rule_count && i < MAX_RULES; ++i) {
        const RuleRecord& r = station.rule_table.slot[i];
        MapRule rule{r, {}};
        switch (r.kind) {
            case KIND_DESTINATION:
            case KIND_SOURCE:
                ++map.call_sign_rules;
                if (is_pass(r)) ++map.call_sign_pass_rules;
                continue;
            case KIND_CIRCLE: rule.shape = circle_shape(r.lat, r.lon, r.radius); break;
            case KIND_RECTANGLE: {
                const Box b = box_of(r);
                rule.shape = box_shape(b.south, b.west, b.north, b.east);
                break;
            }
            default: break;
        }
        map.rules.push_back(rule);
    }
    return map;
}
