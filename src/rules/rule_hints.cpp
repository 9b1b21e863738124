#include "rules/rule_hints.hpp"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "angles/angle_hints.hpp"
#include "angles/angles.hpp"
#include "rules/rule_line.hpp"
#include "station/rule_record.hpp"
#include "text/sink.hpp"

namespace {

enum class Shape { radius, direction, latitude, longitude, angle, inner_range, outer_range };

bool is_angle(Shape s) { return s == Shape::latitude || s == Shape::longitude || s == Shape::angle; }

// The arguments of each area rule, in their order; a sector is tried with
// its outer range first.
std::vector<std::vector<Shape>> shapes_of(uint8_t kind) {
    using enum Shape;
    switch (kind) {
    case KIND_CIRCLE: return {{radius, latitude, longitude}};
    case KIND_COMPASS: return {{direction, latitude, longitude}};
    case KIND_RECTANGLE: return {{latitude, longitude, latitude, longitude}};
    case KIND_SECTOR: return {{angle, angle, inner_range, outer_range}, {angle, angle, inner_range}};
    default: return {};
    }
}

// A whole word that reads as a decimal number.
bool whole_number(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

// The argument as it is to be written, or empty when it does not fit.
std::string fitting(Shape shape, const std::string& text) {
    double value = 0;
    switch (shape) {
    case Shape::radius: return whole_number(text, value) && value > 0 ? text : "";
    case Shape::inner_range:
    case Shape::outer_range:
        return text[0] >= '0' && text[0] <= '9' && whole_number(text, value) ? text : "";
    case Shape::direction:
        for (int i = 1; i < COMPASS_DIRECTION_COUNT; ++i)
            if (strcasecmp(text.c_str(), compass_direction_names[i]) == 0) return text;
        return "";
    case Shape::latitude: return fitting_angle(text, -90, 90);
    case Shape::longitude: return fitting_angle(text, -180, 180);
    case Shape::angle: return fitting_angle(text, 0, 360);
    }
    return "";
}

// A rule line cut as the hints need it.
struct RuleParts {
    std::string head;     // action and command word, as written
    std::string comment;  // from the comment character on, or empty
    std::vector<ArgumentWord> words;
    uint8_t kind = 0;
};

bool cut(const char* line_text, RuleParts& parts) {
    std::string_view text(line_text);
    const std::size_t comment = text.find_first_of("#/;");
    if (comment != std::string_view::npos) {
        parts.comment = std::string(text.substr(comment));
        text = text.substr(0, comment);
    }
    std::string words[2];
    for (std::string& word : words) {
        const std::size_t start = text.find_first_not_of(" \t,");
        if (start == std::string_view::npos) return false;
        const std::size_t end = std::min(text.find_first_of(" \t,", start), text.size());
        word = std::string(text.substr(start, end - start));
        text = text.substr(std::min(end + 1, text.size()));
    }
    const PrefixMatch m = match_rule_command(words[1].c_str());
    if (m.result != Match::found) return false;
    parts.kind = rule_command_table[m.index].kind;
    parts.head = words[0] + " " + words[1];
    parts.words = argument_words(text);
    return !parts.words.empty();
}

std::string written_again(const RuleParts& parts, const std::vector<std::string>& arguments) {
    std::string line = parts.head;
    for (std::size_t i = 0; i < arguments.size(); ++i) line += (i == 0 ? " " : ", ") + arguments[i];
    if (!parts.comment.empty()) line += " " + parts.comment;
    return line;
}

// The arguments as the parser cuts them: an angle runs to the next comma,
// any other argument ends at a blank too. Empty when the words do not come
// out at the count of `shape`.
std::vector<std::string> as_written(const RuleParts& parts, const std::vector<Shape>& shape) {
    std::vector<std::string> arguments;
    std::size_t w = 0;
    for (Shape s : shape) {
        if (w == parts.words.size()) return {};
        std::string text = parts.words[w++].text;
        while (is_angle(s) && w < parts.words.size() && !parts.words[w].after_comma) text += " " + parts.words[w++].text;
        arguments.push_back(text);
    }
    return w == parts.words.size() ? arguments : std::vector<std::string>{};
}

// Latitude and longitude swapped where the latitude does not fit and the
// pair fits the other way round; empty when no pair was swapped or an
// argument still does not fit.
std::vector<std::string> swapped(std::vector<std::string> arguments, const std::vector<Shape>& shape) {
    bool any = false;
    for (std::size_t i = 0; i + 1 < shape.size(); ++i) {
        if (shape[i] != Shape::latitude || shape[i + 1] != Shape::longitude) continue;
        if (!fitting(Shape::latitude, arguments[i]).empty()) continue;
        if (fitting(Shape::latitude, arguments[i + 1]).empty() || fitting(Shape::longitude, arguments[i]).empty())
            continue;
        std::swap(arguments[i], arguments[i + 1]);
        any = true;
    }
    if (!any) return {};
    for (std::size_t i = 0; i < shape.size(); ++i) {
        arguments[i] = fitting(shape[i], arguments[i]);
        if (arguments[i].empty()) return {};
    }
    return arguments;
}

}  // namespace

std::string rule_line_hint(const char* line_text) {
    RuleParts parts;
    if (!cut(line_text, parts)) return "";
    for (const std::vector<Shape>& shape : shapes_of(parts.kind)) {
        const Regrouped found = regrouped(
            parts.words, shape.size(), " ", [&](std::size_t i) { return is_angle(shape[i]); },
            [&](std::size_t i, const std::string& text) { return fitting(shape[i], text); });
        bool comma_missing = false;
        for (std::size_t g = 1; g < found.starts.size(); ++g)
            comma_missing |= is_angle(shape[g - 1]) && !parts.words[found.starts[g]].after_comma;
        if (comma_missing)
            return "the arguments of a rule are parted by commas (an angle may hold blanks, so only a comma or tab "
                   "ends it): " + written_again(parts, found.arguments);
    }
    for (const std::vector<Shape>& shape : shapes_of(parts.kind)) {
        const std::vector<std::string> arguments = as_written(parts, shape);
        if (arguments.empty()) continue;
        const std::vector<std::string> fixed = swapped(arguments, shape);
        if (!fixed.empty())
            return "latitude and longitude are the other way round (a latitude lies within -90..90, and comes "
                   "first): " + written_again(parts, fixed);
    }
    return "";
}

void offer_rule_angle_hints(Sink& out, const char* line_text, const char* angle_text, double value) {
    out.hints().prefer(rule_line_hint(line_text));
    if (value == ANGLE_ERROR) out.hints().offer(unreadable_angle_hint(angle_text));
}
