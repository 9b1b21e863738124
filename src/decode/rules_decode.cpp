#include "decode/rules_decode.hpp"

#include <cmath>
#include <cstring>
#include <map>

#include "decode/config_decode.hpp"
#include "decode/decimal_text.hpp"
#include "text/formatted.hpp"
#include "text/line_reader.hpp"

namespace {


const char* kind_word(uint8_t kind) {
    for (const RuleCommand& row : rule_command_table)
        if (row.kind == kind) return row.word;
    return nullptr;
}

// A character of a call-sign pattern: none of its separators, no line end.
bool pattern_char(char c) { return c != '\0' && c != '\n' && std::strchr("#/; \t,", c) == nullptr; }

bool zero_bytes(const RuleRecord& r, std::size_t from, std::size_t to) {
    const auto* b = reinterpret_cast<const unsigned char*>(&r);
    for (std::size_t i = from; i < to; ++i)
        if (b[i] != 0) return false;
    return true;
}

// The bytes of the argument area that the kind leaves at zero.
bool unused_zero(const RuleRecord& r) {
    switch (r.kind) {
    case KIND_DESTINATION:
    case KIND_SOURCE: return zero_bytes(r, 7, 24);
    case KIND_COMPASS: return zero_bytes(r, 1, 6) && zero_bytes(r, 10, 12) && zero_bytes(r, 16, 24);
    case KIND_CIRCLE: return zero_bytes(r, 4, 6) && zero_bytes(r, 10, 12) && zero_bytes(r, 16, 24);
    default: return zero_bytes(r, 4, 6) && zero_bytes(r, 10, 12) && zero_bytes(r, 16, 18) && zero_bytes(r, 22, 24);
    }
}

std::string pattern_text(const RuleRecord& r, std::string& problem) {
    const uint8_t mods = r.action_mods & MOD_MASK;
    const std::size_t n = strnlen(r.callsign, CALLSIGN_SIZE);
    std::string call(r.callsign, n);
    for (std::size_t i = n; i < CALLSIGN_SIZE; ++i)
        if (r.callsign[i] != '\0') problem = "the call-sign field has bytes after its NUL";
    for (char ch : call)
        if (!pattern_char(ch) || ch == '*' || (ch == '-' && mods != MOD_PREFIX))
            problem = "the call-sign \"" + printable(call) + "\" holds a character no pattern keeps";
    if (mods != MOD_SSID && r.ssid != 0) problem = "an SSID is set without the SSID modifier";
    switch (mods) {
    case MOD_PREFIX | MOD_ANY:
        if (n != 0) problem = "a pattern for any call-sign keeps a call-sign";
        return "*";
    case MOD_PREFIX:
        if (n == 0) problem = "a prefix pattern has no characters";
        return call + "*";
    case MOD_SSID:
        if (r.ssid > 15) problem = formatted("the SSID %u lies outside 0 to 15", static_cast<unsigned>(r.ssid));
        return call + "-" + std::to_string(r.ssid);
    case 0:
        if (n == 0) problem = "a plain pattern has no call-sign";
        return call.empty() ? std::string("NOCALL") : call;
    default:
        problem = formatted("the modifier bits 0x%02X are none a pattern gives", static_cast<unsigned>(mods));
        return call;
    }
}

// A latitude, longitude or angle within its range, or a problem.
std::string angle(float value, double low, double high, const char* name, std::string& problem) {
    std::string text = angle_text(value);
    if (text.empty() || !(value >= low && value <= high)) {
        problem = formatted("the %s %g lies outside %g to %g", name, static_cast<double>(value), low, high);
        return "0D";
    }
    return text;
}

std::string real(float value, const char* name, std::string& problem) {
    std::string text = real_text(value);
    if (text.empty()) {
        problem = formatted("the %s is not a number", name);
        return "1";
    }
    return text;
}

std::string arguments(const RuleRecord& r, std::string& problem) {
    switch (r.kind) {
    case KIND_DESTINATION:
    case KIND_SOURCE: return pattern_text(r, problem);
    case KIND_CIRCLE:
        if (!(r.radius > 0)) problem = "the circle's radius is not greater than 0";
        return real(r.radius, "radius", problem) + ", " + angle(r.lat, -90, 90, "latitude", problem) + ", " +
               angle(r.lon, -180, 180, "longitude", problem);
    case KIND_COMPASS: {
        const bool known = r.direction >= 1 && r.direction < COMPASS_DIRECTION_COUNT;
        if (!known) problem = formatted("the compass direction %u is none of N to NW", static_cast<unsigned>(r.direction));
        return std::string(known ? compass_direction_names[r.direction] : "N") + ", " +
               angle(r.lat, -90, 90, "latitude", problem) + ", " + angle(r.lon, -180, 180, "longitude", problem);
    }
    case KIND_RECTANGLE:
        return angle(r.lat1, -90, 90, "latitude", problem) + ", " + angle(r.lon1, -180, 180, "longitude", problem) +
               ", " + angle(r.lat2, -90, 90, "latitude", problem) + ", " +
               angle(r.lon2, -180, 180, "longitude", problem);
    case KIND_SECTOR: {
        std::string text = angle(r.angle1, 0, 360, "angle", problem) + ", " + angle(r.angle2, 0, 360, "angle", problem) +
                           ", " + real(r.inner_range, "inner range", problem);
        if (!(r.inner_range >= 0) || std::signbit(r.inner_range)) problem = "the inner range is negative";
        const bool no_outer = r.outer_range == 0 && !std::signbit(r.outer_range);
        if (!no_outer && !(r.outer_range > r.inner_range)) problem = "the outer range is not greater than the inner one";
        if (!no_outer) text += ", " + real(r.outer_range, "outer range", problem);
        return text;
    }
    default: return {};
    }
}

}  // namespace

std::string rule_text(const RuleRecord& r, std::string& problem) {
    problem.clear();
    const char* kind = kind_word(r.kind);
    const uint8_t action = r.action_mods & ACTION_MASK;
    if (action != ACTION_PASS && action != ACTION_DROP)
        problem = formatted("the action code %u is neither pass nor drop", static_cast<unsigned>(action));
    const char* action_word = action == ACTION_DROP ? "drop" : "pass";
    if (kind == nullptr || r.kind == KIND_IMPLICIT) {
        problem = formatted("the kind code %u is no rule's", static_cast<unsigned>(r.kind));
        return std::string(action_word) + " ?";
    }
    std::string line = std::string(action_word) + " " + kind + " " + arguments(r, problem);
    if (r.kind != KIND_DESTINATION && r.kind != KIND_SOURCE && (r.action_mods & MOD_MASK) != 0)
        problem = "modifier bits are set on a rule that is no call-sign pattern";
    if (!unused_zero(r)) problem = "bytes that the rule's kind leaves at zero are not zero";
    // The last argument ends at the line end: a carriage return there would go with it.
    if (!line.empty() && line.back() == '\r') line += ' ';
    return line;
}

std::string decode_rules(const ConfigRecord& config, const std::vector<RuleRecord>& records, const std::string& header,
                         std::vector<std::string>& problems) {
    std::map<unsigned, std::string> lines;  // by line number
    std::vector<std::string> notes;
    const auto note = [&](const std::string& what) {
        problems.push_back(what);
        notes.push_back("# cannot be reproduced: " + printable(what));
    };
    if (config.rule_count != records.size())
        note(formatted("the configuration counts %u rules, the rule image holds %lu",
                       static_cast<unsigned>(config.rule_count), static_cast<unsigned long>(records.size())));
    unsigned last = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const RuleRecord& r = records[i];
        std::string problem;
        const std::string text = rule_text(r, problem);
        if (!problem.empty()) note(formatted("rule %lu (line %u): ", static_cast<unsigned long>(i + 1), static_cast<unsigned>(r.line)) + problem);
        if (text.size() > LINE_LENGTH_MAX) note(formatted("rule %lu: its line is longer than a line can be", static_cast<unsigned long>(i + 1)));
        if (r.line <= last) {
            note(formatted("rule %lu names line %u, not a line after the rule before it", static_cast<unsigned long>(i + 1),
                           static_cast<unsigned>(r.line)));
            continue;
        }
        last = r.line;
        lines[r.line] = text;
    }
    if (config.implicit_action == IMPLICIT_DROP) {
        if (records.size() >= static_cast<std::size_t>(MAX_RULES)) note("a Drop implicit rule beside 50 rules");
        unsigned free_line = 2;
        while (lines.count(free_line) != 0) ++free_line;
        lines[free_line] = "drop implicit";
    } else if (config.implicit_action != IMPLICIT_PASS) {
        note(formatted("the implicit action 0x%02X is neither Pass nor Drop", static_cast<unsigned>(config.implicit_action)));
    }
    std::string text;
    // Behind a rule on line 1 the header follows its last argument with no
    // blank, which would otherwise become part of an angle.
    if (lines.count(1) == 0) lines[1] = "# " + header;
    else if (lines[1].size() + header.size() < LINE_LENGTH_MAX) lines[1] += "#" + header;
    unsigned number = 0;
    for (const auto& [at, line] : lines) {
        while (++number < at) text += "\n";
        text += line + "\n";
    }
    for (const std::string& n : notes) text += n + "\n";
    return text;
}
