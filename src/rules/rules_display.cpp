#include "rules/rules_display.hpp"

#include <string>

#include "station/config_record.hpp"
#include "station/action_names.hpp"
#include "station/station.hpp"
#include "station/rule_record.hpp"
#include "text/formatted.hpp"
#include "text/sink.hpp"

namespace {

// The pattern of a destination or source record, by its modifier bits.
std::string callsign_form(const RuleRecord& r) {
    // The field holds at most six characters, with no NUL when all are used.
    if (r.action_mods & MOD_ANY) return "*";
    if (r.action_mods & MOD_PREFIX) return formatted("%-*.*s*", CALLSIGN_SIZE, CALLSIGN_SIZE, r.callsign);
    if (r.action_mods & MOD_SSID) return formatted("%-*.*s-%d", CALLSIGN_SIZE, CALLSIGN_SIZE, r.callsign, r.ssid);
    return formatted("%-*.*s", CALLSIGN_SIZE, CALLSIGN_SIZE, r.callsign);
}

const char* direction_name(uint8_t code) {
    return code < COMPASS_DIRECTION_COUNT ? compass_direction_names[code] : compass_direction_names[0];
}

void print_record(const RuleRecord& r, Sink& out) {
    std::string a, b, c, d;
    switch (r.kind) {
    case KIND_DESTINATION:
    case KIND_SOURCE: a = callsign_form(r); break;
    case KIND_CIRCLE:
        a = formatted("%-.3f mi R,", static_cast<double>(r.radius));
        b = formatted("%-10.6f D Lat,", static_cast<double>(r.lat));
        c = formatted("%-11.5f D Lon", static_cast<double>(r.lon));
        break;
    case KIND_COMPASS:
        a = formatted("%-2s Dir,", direction_name(r.direction));
        b = formatted("%-10.6f D Lat,", static_cast<double>(r.lat));
        c = formatted("%-11.5f D Lon", static_cast<double>(r.lon));
        break;
    case KIND_RECTANGLE:
        a = formatted("%-10.6f D Lat1,", static_cast<double>(r.lat1));
        b = formatted("%-11.5f D Lon1,", static_cast<double>(r.lon1));
        c = formatted("%-10.6f D Lat2,", static_cast<double>(r.lat2));
        d = formatted("%-11.5f D Lon2", static_cast<double>(r.lon2));
        break;
    case KIND_SECTOR:
        a = formatted("%-.3f D Ang1,", static_cast<double>(r.angle1));
        b = formatted("%-.3f D Ang2,", static_cast<double>(r.angle2));
        c = formatted("%-.3f In R,", static_cast<double>(r.inner_range));
        d = formatted("%-.3f Out R", static_cast<double>(r.outer_range));
        break;
    default: break;
    }
    out.printf("%-6s %-9s %02x   %s %s %s %s\n", rule_action_display(r.action_mods), rule_command_name(r.kind),
               static_cast<unsigned>(r.action_mods & MOD_MASK), a.c_str(), b.c_str(), c.c_str(),
               d.c_str());
}

}  // namespace

const char* rule_command_name(int kind) {
    for (const RuleCommand& row : rule_command_table)
        if (row.kind == kind) return row.word;
    return "?";
}

void rules_display(const Station& station, Sink& out) {
    const ConfigRecord& config = station.config;
    const uint16_t implicit = config.implicit_action;
    if (config.rule_count == 0) {
        out.printf("No Rules are configured!  Implicit Rule Action is %s\n", implicit_action_display(implicit));
        return;
    }
    out.printf("Rule count %d plus Implicit\n", config.rule_count);
    out.printf("\n%-6s %-9s %-s Arguments\n", "Action", "Command", "Mods");
    // Deliberately unlike the no-rules line and the configuration display,
    // which show "?" for a value that is neither action, the implicit row
    // shows "Pass" for every value but drop: kept as operators' scripts expect.
    const char* implicit_row = implicit == drop_action.implicit_action ? drop_action.display : pass_action.display;
    out.printf("%-6s %-9s\n", implicit_row, "Implicit");
    // rule_count never exceeds the table; a larger value is not read beyond it.
    const int count = config.rule_count < MAX_RULES ? config.rule_count : MAX_RULES;
    for (int i = 0; i < count; ++i) print_record(station.rule_table.slot[i], out);
}
