#include "support/image_checks.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "station/config_record.hpp"
#include "station/station.hpp"
#include "station/rule_record.hpp"
#include "serial/baud_table.hpp"
#include "support/fuzz_check.hpp"

namespace {

bool in_baud_table(uint32_t rate) {
    for (const int32_t* p = baud_table; *p != 0; ++p)
        if (static_cast<uint32_t>(*p) == rate) return true;
    return false;
}

bool within(float v, double low, double high) { return v >= low && v <= high; }  // false for NaN

bool is_switch(uint16_t v) { return v == 0 || v == 1; }

// A text field: its characters up to the first NUL avoid `forbidden` and
// lower-case letters (when `upper`), and every byte after that NUL is 0.
bool text_field(const char* field, std::size_t size, const char* forbidden, bool upper) {
    const std::size_t n = strnlen(field, size);
    for (std::size_t i = 0; i < n; ++i) {
        if (std::strchr(forbidden, field[i]) != nullptr) return false;
        if (upper && field[i] >= 'a' && field[i] <= 'z') return false;
    }
    for (std::size_t i = n; i < size; ++i)
        if (field[i] != '\0') return false;
    return true;
}

bool all_zero(const void* bytes, std::size_t size) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (std::size_t i = 0; i < size; ++i)
        if (p[i] != 0) return false;
    return true;
}

float float_at(const RuleRecord& r, std::size_t offset) {
    float v;
    std::memcpy(&v, reinterpret_cast<const uint8_t*>(&r) + offset, sizeof v);
    return v;
}

// The bytes of the record at the given offsets are 0.
bool zero_bytes(const RuleRecord& r, std::initializer_list<std::size_t> offsets) {
    const auto* p = reinterpret_cast<const uint8_t*>(&r);
    for (std::size_t o : offsets)
        if (p[o] != 0) return false;
    return true;
}

void check_pattern_record(const RuleRecord& r, std::string_view output) {
    const uint8_t mods = r.action_mods & MOD_MASK;
    FUZZ_CHECK(mods == 0 || mods == MOD_PREFIX || mods == (MOD_PREFIX | MOD_ANY) || mods == MOD_SSID, output);
    // Cut at the first '*' (prefix) or else at the first '-' (SSID).
    const char* forbidden = mods == MOD_PREFIX ? "#/; \t,*" : "#/; \t,*-";
    FUZZ_CHECK(text_field(r.callsign, CALLSIGN_SIZE, forbidden, false), output);
    if (mods == (MOD_PREFIX | MOD_ANY)) FUZZ_CHECK(all_zero(r.callsign, CALLSIGN_SIZE), output);
    FUZZ_CHECK(r.ssid <= 15, output);
    if (mods != MOD_SSID) FUZZ_CHECK(r.ssid == 0, output);
    FUZZ_CHECK(zero_bytes(r, {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}), output);
}

void check_area_record(const RuleRecord& r, std::string_view output) {
    FUZZ_CHECK((r.action_mods & MOD_MASK) == 0, output);
    switch (r.kind) {
    case KIND_CIRCLE:
        FUZZ_CHECK(float_at(r, 0) > 0, output);  // an infinite radius is taken as written
        FUZZ_CHECK(within(float_at(r, 6), -90, 90) && within(float_at(r, 12), -180, 180), output);
        FUZZ_CHECK(zero_bytes(r, {4, 5, 10, 11, 16, 17, 18, 19, 20, 21, 22, 23}), output);
        break;
    case KIND_COMPASS:
        FUZZ_CHECK(r.direction >= 1 && r.direction <= 8, output);
        FUZZ_CHECK(within(float_at(r, 6), -90, 90) && within(float_at(r, 12), -180, 180), output);
        FUZZ_CHECK(zero_bytes(r, {1, 2, 3, 4, 5, 10, 11, 16, 17, 18, 19, 20, 21, 22, 23}), output);
        break;
    case KIND_RECTANGLE:
        FUZZ_CHECK(within(float_at(r, 0), -90, 90) && within(float_at(r, 6), -180, 180), output);
        FUZZ_CHECK(within(float_at(r, 12), -90, 90) && within(float_at(r, 18), -180, 180), output);
        FUZZ_CHECK(zero_bytes(r, {4, 5, 10, 11, 16, 17, 22, 23}), output);
        break;
    case KIND_SECTOR: {
        FUZZ_CHECK(within(float_at(r, 0), 0, 360) && within(float_at(r, 6), 0, 360), output);
        const float inner = float_at(r, 12);
        const float outer = float_at(r, 18);
        FUZZ_CHECK(inner >= 0, output);
        FUZZ_CHECK(outer == 0 || outer > inner, output);
        FUZZ_CHECK(!std::signbit(outer), output);
        FUZZ_CHECK(zero_bytes(r, {4, 5, 10, 11, 16, 17, 22, 23}), output);
        break;
    }
    default: FUZZ_CHECK(false && "unknown kind", output);
    }
}

}  // namespace

void check_config_image(const Station& station, bool file_in_force, std::string_view output) {
    const ConfigRecord& c = station.config;
    const int32_t digi_path_count = station.digi_path_count;
    FUZZ_CHECK(in_baud_table(c.host_baud) && in_baud_table(c.gps_baud) && in_baud_table(c.tnc_baud), output);
    FUZZ_CHECK(within(c.base_lat, -90, 90), output);
    FUZZ_CHECK(within(c.base_lon, -180, 180), output);
    // Up to 6 characters and a NUL; what follows the NUL is what stood there.
    FUZZ_CHECK(strnlen(c.call_sign, sizeof c.call_sign) <= 6, output);
    FUZZ_CHECK(text_field(c.call_sign, strnlen(c.call_sign, sizeof c.call_sign), "#/; \t,", true), output);
    FUZZ_CHECK(c.ssid <= 15, output);
    FUZZ_CHECK(c.wide_max >= 1 && c.wide_max <= 6, output);
    FUZZ_CHECK(c.wide_total >= 1 && c.wide_total <= 6, output);
    FUZZ_CHECK(c.dupe_window >= 5 && c.dupe_window <= 500, output);
    FUZZ_CHECK(c.beacon_interval == 0 || c.beacon_interval >= 10, output);
    FUZZ_CHECK(is_switch(c.relay_drop) && is_switch(c.nsr) && is_switch(c.have_gps) && is_switch(c.log_port) &&
                   is_switch(c.halt_on_error) && is_switch(c.drop_mangled) && is_switch(c.fix_valid) &&
                   is_switch(c.pass_nonaprs),
               output);
    FUZZ_CHECK(c.implicit_action == IMPLICIT_PASS || c.implicit_action == IMPLICIT_DROP, output);
    FUZZ_CHECK(c.rule_count <= MAX_RULES, output);
    FUZZ_CHECK(text_field(c.beacon_comment, sizeof c.beacon_comment, "#/;\t", false), output);
    FUZZ_CHECK(c.beacon_comment[sizeof c.beacon_comment - 1] == '\0', output);
    FUZZ_CHECK(digi_path_count >= 0 && digi_path_count <= 8, output);
    if (!file_in_force) return;
    for (int i = 0; i < 8; ++i) {
        const char* slot = c.digi_path[i];
        if (i >= digi_path_count) {
            FUZZ_CHECK(all_zero(slot, 8), output);
            continue;
        }
        FUZZ_CHECK(slot[0] != '\0', output);
        FUZZ_CHECK(text_field(slot, 8, "#/; \t,", true), output);
    }
}

void check_rule_table(const Station& station, bool rules_in_force, std::string_view output) {
    const ConfigRecord& config = station.config;
    const RuleTable& rule_table = station.rule_table;
    if (!rules_in_force) {
        FUZZ_CHECK(config.rule_count == 0, output);
        // Accepted records and the failing line's partial one, then zeros.
        bool zero_seen = false;
        for (const RuleRecord& r : rule_table.slot) {
            const bool zero = all_zero(&r, sizeof r);
            FUZZ_CHECK(!(zero_seen && !zero), output);
            zero_seen = zero_seen || zero;
            if (!zero) FUZZ_CHECK(r.kind >= KIND_DESTINATION && r.kind <= KIND_SECTOR, output);
        }
        return;
    }
    FUZZ_CHECK(config.rule_count <= MAX_RULES, output);
    unsigned previous_line = 0;
    for (int i = 0; i < MAX_RULES; ++i) {
        const RuleRecord& r = rule_table.slot[i];
        if (i >= config.rule_count) {
            FUZZ_CHECK(all_zero(&r, sizeof r), output);
            continue;
        }
        FUZZ_CHECK(r.line > previous_line, output);
        previous_line = r.line;
        FUZZ_CHECK(r.reserved == 0, output);
        const uint8_t action = r.action_mods & ACTION_MASK;
        FUZZ_CHECK(action == ACTION_DROP || action == ACTION_PASS, output);
        if (r.kind == KIND_DESTINATION || r.kind == KIND_SOURCE) check_pattern_record(r, output);
        else check_area_record(r, output);
    }
}
