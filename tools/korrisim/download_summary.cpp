#include "download_summary.hpp"

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "text/formatted.hpp"

namespace {


// Text of a fixed field up to its first NUL; other control bytes shown as \xNN.
std::string field_text(const char* field, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size && field[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c < 0x20 || c >= 0x7F) out += formatted("\\x%02X", c);
        else out += static_cast<char>(c);
    }
    return out;
}

const char* yes_no(uint16_t flag) { return flag == 0 ? "no" : flag == 1 ? "yes" : "INVALID"; }

const char* action_name(uint8_t action_mods) {
    switch (action_mods & ACTION_MASK) {
    case ACTION_PASS: return "pass";
    case ACTION_DROP: return "drop";
    default: return "INVALID-ACTION";
    }
}

const char* kind_name(uint8_t kind) {
    for (const RuleCommand& row : rule_command_table)
        if (row.kind == kind) return row.word;
    return nullptr;
}

std::string callsign_pattern(const RuleRecord& r) {
    std::string call = field_text(r.callsign, CALLSIGN_SIZE);
    if ((r.action_mods & MOD_ANY) != 0) return "*";
    if ((r.action_mods & MOD_PREFIX) != 0) return call + "*";
    if ((r.action_mods & MOD_SSID) != 0) return call + "-" + std::to_string(r.ssid);
    return call;
}

std::string describe_rule(const RuleRecord& r) {
    const char* kind = kind_name(r.kind);
    std::string head = formatted("line %u: %s %s", static_cast<unsigned>(r.line), kind ? kind : "UNKNOWN-KIND",
                               action_name(r.action_mods));
    if (kind == nullptr) return head + formatted(" (kind code %u)", static_cast<unsigned>(r.kind));
    switch (r.kind) {
    case KIND_DESTINATION:
    case KIND_SOURCE:
        return head + " " + callsign_pattern(r) + formatted(" (mods 0x%02X)", static_cast<unsigned>(r.action_mods & MOD_MASK));
    case KIND_CIRCLE:
        return head + formatted(" radius %.3f mi around lat %.6f lon %.6f", static_cast<double>(r.radius),
                              static_cast<double>(r.lat), static_cast<double>(r.lon));
    case KIND_COMPASS:
        return head + formatted(" %s of lat %.6f lon %.6f",
                              r.direction < COMPASS_DIRECTION_COUNT ? compass_direction_names[r.direction] : "Error",
                              static_cast<double>(r.lat), static_cast<double>(r.lon));
    case KIND_RECTANGLE:
        return head + formatted(" lat %.6f lon %.6f to lat %.6f lon %.6f", static_cast<double>(r.lat1),
                              static_cast<double>(r.lon1), static_cast<double>(r.lat2), static_cast<double>(r.lon2));
    case KIND_SECTOR:
        return head + formatted(" angles %.3f to %.3f, ranges %.3f to %.3f", static_cast<double>(r.angle1),
                              static_cast<double>(r.angle2), static_cast<double>(r.inner_range),
                              static_cast<double>(r.outer_range));
    default:
        return head;
    }
}

}  // namespace

std::vector<std::string> describe_device_images(const std::vector<uint8_t>& config_bytes,
                                                const std::vector<uint8_t>& rules) {
    std::vector<std::string> lines;
    ConfigRecord c{};
    std::memcpy(&c, config_bytes.data(), std::min(config_bytes.size(), sizeof c));

    lines.push_back("call sign " + field_text(c.call_sign, sizeof c.call_sign) + ", SSID " + std::to_string(c.ssid));
    lines.push_back(formatted("position lat %.6f lon %.6f", static_cast<double>(c.base_lat),
                            static_cast<double>(c.base_lon)));
    lines.push_back(formatted("rates host %u, GPS %u, TNC %u", static_cast<unsigned>(c.host_baud),
                            static_cast<unsigned>(c.gps_baud), static_cast<unsigned>(c.tnc_baud)));
    lines.push_back(formatted("WIDE max %u, WIDE total %u, dupe window %u s, beacon interval %u s",
                            static_cast<unsigned>(c.wide_max), static_cast<unsigned>(c.wide_total),
                            static_cast<unsigned>(c.dupe_window), static_cast<unsigned>(c.beacon_interval)));
    std::string path;
    for (const auto& slot : c.digi_path) {
        const std::string element = field_text(slot, sizeof slot);
        if (element.empty()) continue;
        if (!path.empty()) path += ",";
        path += element;
    }
    lines.push_back("path " + (path.empty() ? std::string("(none)") : path));
    lines.push_back("comment \"" + field_text(c.beacon_comment, sizeof c.beacon_comment) + "\"");
    lines.push_back(std::string("switches relay drop ") + yes_no(c.relay_drop) + ", NSR " + yes_no(c.nsr) +
                    ", have GPS " + yes_no(c.have_gps) + ", log port " + yes_no(c.log_port) + ", halt on error " +
                    yes_no(c.halt_on_error) + ", drop mangled " + yes_no(c.drop_mangled) + ", fix valid " +
                    yes_no(c.fix_valid) + ", pass non-APRS " + yes_no(c.pass_nonaprs));
    const char* implicit = c.implicit_action == IMPLICIT_PASS   ? "pass"
                           : c.implicit_action == IMPLICIT_DROP ? "drop"
                                                                : "INVALID";
    lines.push_back(formatted("rule count %u (%zu records received), implicit action %s",
                            static_cast<unsigned>(c.rule_count), rules.size() / sizeof(RuleRecord), implicit));
    for (std::size_t i = 0; i + sizeof(RuleRecord) <= rules.size(); i += sizeof(RuleRecord)) {
        RuleRecord r;
        std::memcpy(&r, rules.data() + i, sizeof r);
        lines.push_back(formatted("rule %zu, ", i / sizeof(RuleRecord) + 1) + describe_rule(r));
    }
    return lines;
}
