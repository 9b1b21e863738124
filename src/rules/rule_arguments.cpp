#include "rules/rule_arguments.hpp"

#include <strings.h>

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "angles/angles.hpp"
#include "rules/rule_hints.hpp"
#include "rules/rules_codes.hpp"
#include "station/field_ranges.hpp"
#include "text/numbers.hpp"
#include "text/sink.hpp"
#include "text/tokens.hpp"

namespace {

// How one argument is cut and what is said when it is not there: "missing"
// and its name.
struct ArgumentForm {
    const char* separators;
    const char* name;             // no token left
    int missing_code;
    const char* in_comment_name;  // the token begins in the comment
    int in_comment_code;
};

// The range of a latitude, a longitude or a sector's angle, and what is said
// of a value outside it (with the name, the range's ends and the value).
struct AngleRange {
    IntRange range;
    const char* out_of_range;
};

// A latitude, longitude or angle and the range it must lie in.
struct AngleForm {
    ArgumentForm argument;
    AngleRange range;
    int out_of_range_code;
};

constexpr const char* ANGLE_SEPARATORS = "\t,";
constexpr const char* LAST_ANGLE_SEPARATORS = "#/;\t,";
constexpr const char* PATTERN_SEPARATORS = "#/; \t,";
constexpr const char* NUMBER_SEPARATORS = " \t,";
constexpr const char* RANGE_SEPARATORS = "#/; \t,";

constexpr AngleRange LATITUDE{LATITUDE_RANGE, "invalid %s range [%d..%d]: %f"};
constexpr AngleRange LONGITUDE{LONGITUDE_RANGE, "invalid %s range [%d..%d]: %f"};
constexpr AngleRange SECTOR_ANGLE{SECTOR_ANGLE_RANGE, "invalid %s, range [%d..%d]: %f"};

// An angle called `name` in its messages; `last` when it ends the rule, and
// so also at a comment character.
constexpr AngleForm angle_form(const char* name, bool last, const AngleRange& range, int missing_code,
                               int in_comment_code, int out_of_range_code) {
    return {{last ? LAST_ANGLE_SEPARATORS : ANGLE_SEPARATORS, name, missing_code, name, in_comment_code},
            range,
            out_of_range_code};
}

// The codes of a point's latitude and longitude, in the order of AngleForm.
struct PointCodes {
    int no_latitude, latitude_in_comment, bad_latitude;
    int no_longitude, longitude_in_comment, bad_longitude;
};

// Cuts the next argument. Returns it, or nullptr with `rc` set after the
// message when it is missing or lies in the comment.
char* rule_argument(RuleLine& line, const ArgumentForm& form, int& rc) {
    char* token = nullptr;
    switch (take_argument(line.args, form.separators, true, token)) {
    case Argument::taken: rc = 0; return token;
    case Argument::missing:
        line.out->hints().prefer(rule_line_hint(line.text));  // an argument taken into the angle before it
        rc = line_error(line, form.missing_code, "missing %s", form.name);
        return nullptr;
    case Argument::in_comment:
        rc = line_error(line, form.in_comment_code, "missing %s", form.in_comment_name);
        return nullptr;
    }
    return nullptr;
}

// A latitude, longitude or angle, in decimal degrees; the range is checked on
// the double-precision value.
int take_angle(RuleLine& line, const AngleForm& form, double& value) {
    int rc = 0;
    const char* token = rule_argument(line, form.argument, rc);
    if (token == nullptr) return rc;
    value = dmctodeg(token, *line.out);
    const IntRange& range = form.range.range;
    if (!range.holds(value)) {
        offer_rule_angle_hints(*line.out, line.text, token, value);
        return line_error(line, form.out_of_range_code, form.range.out_of_range, form.argument.name,
                          static_cast<int>(range.low), static_cast<int>(range.high), value);
    }
    return 0;
}

// Call-sign patterns: "*..." any, "ABC*..." prefix, "ABC-n" with SSID, "ABC".
int read_pattern(RuleLine& line, RuleRecord& record, bool destination) {
    const ArgumentForm form = destination
        ? ArgumentForm{PATTERN_SEPARATORS, "Destination", RULES_NO_DESTINATION, "Destination string",
                       RULES_DESTINATION_IN_COMMENT}
        : ArgumentForm{PATTERN_SEPARATORS, "Source", RULES_NO_SOURCE, "Source string", RULES_SOURCE_IN_COMMENT};
    int rc = 0;
    char* pattern = rule_argument(line, form, rc);
    if (pattern == nullptr) return rc;
    if (pattern[0] == '*') {
        record.action_mods |= MOD_PREFIX | MOD_ANY;
        return 0;
    }
    uint8_t mods = 0;
    int ssid = 0;
    if (char* star = std::strchr(pattern, '*')) {
        *star = '\0';
        mods = MOD_PREFIX;
    } else if (char* dash = std::strchr(pattern, '-')) {
        *dash = '\0';
        ssid = parse_decimal(dash + 1);
        if (!SSID_RANGE.holds(ssid))
            return line_error(line, RULES_BAD_SSID, "invalid SSID range [%d..%d]: %d", static_cast<int>(SSID_RANGE.low),
                              static_cast<int>(SSID_RANGE.high), ssid);
        mods = MOD_SSID;
    }
    const std::size_t length = std::strlen(pattern);
    if (length > CALLSIGN_SIZE) {
        return destination ? line_error(line, RULES_DESTINATION_TOO_LONG, "Destination is too long: %s", pattern)
                           : line_error(line, RULES_SOURCE_TOO_LONG, "Source is too long: %s", pattern);
    }
    std::memcpy(record.callsign, pattern, length);  // the rest stays NUL
    record.ssid = static_cast<uint8_t>(ssid);
    record.action_mods |= mods;
    return 0;
}

// A circle rule and a compass rule: one argument, then a point.
struct PointRule {
    ArgumentForm first;
    PointCodes point;
};

// "missing Range" for a radius in the comment: kept as operators' scripts expect.
constexpr PointRule CIRCLE{
    {NUMBER_SEPARATORS, "Radius", RULES_CIRCLE_NO_RADIUS, "Range", RULES_CIRCLE_RADIUS_IN_COMMENT},
    {RULES_CIRCLE_NO_LATITUDE, RULES_CIRCLE_LATITUDE_IN_COMMENT, RULES_CIRCLE_BAD_LATITUDE,
     RULES_CIRCLE_NO_LONGITUDE, RULES_CIRCLE_LONGITUDE_IN_COMMENT, RULES_CIRCLE_BAD_LONGITUDE}};
constexpr PointRule COMPASS{
    {NUMBER_SEPARATORS, "Compass Direction", RULES_COMPASS_NO_DIRECTION, "Direction",
     RULES_COMPASS_DIRECTION_IN_COMMENT},
    {RULES_COMPASS_NO_LATITUDE, RULES_COMPASS_LATITUDE_IN_COMMENT, RULES_COMPASS_BAD_LATITUDE,
     RULES_COMPASS_NO_LONGITUDE, RULES_COMPASS_LONGITUDE_IN_COMMENT, RULES_COMPASS_BAD_LONGITUDE}};

// The latitude and longitude of a circle's centre or a compass rule's point.
int read_point(RuleLine& line, const PointCodes& codes, RuleRecord& record) {
    const AngleForm lat_form = angle_form("Latitude", false, LATITUDE, codes.no_latitude,
                                          codes.latitude_in_comment, codes.bad_latitude);
    const AngleForm lon_form = angle_form("Longitude", true, LONGITUDE, codes.no_longitude,
                                          codes.longitude_in_comment, codes.bad_longitude);
    double value = 0;
    int rc = take_angle(line, lat_form, value);
    if (rc != 0) return rc;
    record.lat = to_single(value);
    if ((rc = take_angle(line, lon_form, value)) != 0) return rc;
    record.lon = to_single(value);
    return 0;
}

int read_circle(RuleLine& line, RuleRecord& record) {
    int rc = 0;
    const char* token = rule_argument(line, CIRCLE.first, rc);
    if (token == nullptr) return rc;
    const double radius = parse_real(token);
    // Checked as stored: a radius too small for single precision becomes 0.
    record.radius = to_single(radius);
    if (!(record.radius > 0))
        return line_error(line, RULES_CIRCLE_BAD_RADIUS, "invalid Circle Radius, must be > 0: %f", radius);
    return read_point(line, CIRCLE.point, record);
}

int read_compass(RuleLine& line, RuleRecord& record) {
    int rc = 0;
    const char* token = rule_argument(line, COMPASS.first, rc);
    if (token == nullptr) return rc;
    uint8_t code = 0;
    for (int i = 1; i < COMPASS_DIRECTION_COUNT && code == 0; ++i)
        if (strcasecmp(token, compass_direction_names[i]) == 0) code = static_cast<uint8_t>(i);
    if (code == 0) return line_error(line, RULES_COMPASS_BAD_DIRECTION, "invalid compass Direction %s", token);
    record.direction = code;
    return read_point(line, COMPASS.point, record);
}

int read_rectangle(RuleLine& line, RuleRecord& record) {
    static const AngleForm forms[4] = {
        angle_form("Latitude1", false, LATITUDE, RULES_RECTANGLE_NO_LATITUDE1,
                   RULES_RECTANGLE_LATITUDE1_IN_COMMENT, RULES_RECTANGLE_BAD_LATITUDE1),
        angle_form("Longitude1", false, LONGITUDE, RULES_RECTANGLE_NO_LONGITUDE1,
                   RULES_RECTANGLE_LONGITUDE1_IN_COMMENT, RULES_RECTANGLE_BAD_LONGITUDE1),
        angle_form("Latitude2", false, LATITUDE, RULES_RECTANGLE_NO_LATITUDE2,
                   RULES_RECTANGLE_LATITUDE2_IN_COMMENT, RULES_RECTANGLE_BAD_LATITUDE2),
        angle_form("Longitude2", true, LONGITUDE, RULES_RECTANGLE_NO_LONGITUDE2,
                   RULES_RECTANGLE_LONGITUDE2_IN_COMMENT, RULES_RECTANGLE_BAD_LONGITUDE2),
    };
    double value = 0;
    int rc = 0;
    if ((rc = take_angle(line, forms[0], value)) != 0) return rc;
    record.lat1 = to_single(value);
    if ((rc = take_angle(line, forms[1], value)) != 0) return rc;
    record.lon1 = to_single(value);
    if ((rc = take_angle(line, forms[2], value)) != 0) return rc;
    record.lat2 = to_single(value);
    if ((rc = take_angle(line, forms[3], value)) != 0) return rc;
    record.lon2 = to_single(value);
    return 0;
}

int read_sector(RuleLine& line, RuleRecord& record) {
    static const AngleForm angle1_form = angle_form("Angle1", false, SECTOR_ANGLE, RULES_SECTOR_NO_ANGLE1,
                                                    RULES_SECTOR_ANGLE1_IN_COMMENT, RULES_SECTOR_BAD_ANGLE1);
    static const AngleForm angle2_form = angle_form("Angle2", false, SECTOR_ANGLE, RULES_SECTOR_NO_ANGLE2,
                                                    RULES_SECTOR_ANGLE2_IN_COMMENT, RULES_SECTOR_BAD_ANGLE2);
    static const ArgumentForm inner_form{RANGE_SEPARATORS, "Inner Range", RULES_SECTOR_NO_INNER, "Inner Range",
                                        RULES_SECTOR_INNER_IN_COMMENT};
    double value = 0;
    int rc = 0;
    if ((rc = take_angle(line, angle1_form, value)) != 0) return rc;
    record.angle1 = to_single(value);
    if ((rc = take_angle(line, angle2_form, value)) != 0) return rc;
    record.angle2 = to_single(value);

    const char* token = rule_argument(line, inner_form, rc);
    if (token == nullptr) return rc;
    if (!std::isdigit(static_cast<unsigned char>(token[0])))
        return line_error(line, RULES_SECTOR_INNER_NOT_NUMBER, "invalid or missing Inner Range");
    const double inner = parse_real(token);
    if (!(inner >= 0)) return line_error(line, RULES_SECTOR_BAD_INNER, "invalid Inner Range, must be >= 0: %f", inner);
    record.inner_range = to_single(inner);

    // The outer range may be left out, or lie in the comment: then it is 0.
    char* outer_token = nullptr;
    if (take_argument(line.args, RANGE_SEPARATORS, true, outer_token) != Argument::taken) return 0;
    token = outer_token;
    const double outer = parse_real(token);
    // Checked as stored: an outer range that narrows to the inner one is none.
    if (!(to_single(outer) > record.inner_range))
        return line_error(line, RULES_SECTOR_BAD_OUTER, "invalid Outer Range, must be > Inner Range: %f", outer);
    record.outer_range = to_single(outer);
    return 0;
}

}  // namespace

int read_rule_arguments(RuleLine& line, RuleRecord& record) {
    switch (record.kind) {
    case KIND_DESTINATION: return read_pattern(line, record, true);
    case KIND_SOURCE: return read_pattern(line, record, false);
    case KIND_CIRCLE: return read_circle(line, record);
    case KIND_COMPASS: return read_compass(line, record);
    case KIND_RECTANGLE: return read_rectangle(line, record);
    case KIND_SECTOR: return read_sector(line, record);
    default: return 0;
    }
}
