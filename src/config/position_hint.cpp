#include "config/position_hint.hpp"

#include <string_view>
#include <vector>

#include "angles/angle_hints.hpp"
#include "text/hints.hpp"

namespace {

std::string fitting_position(std::size_t i, const std::string& text) {
    return i == 0 ? fitting_angle(text, -90, 90) : fitting_angle(text, -180, 180);
}

}  // namespace

std::string position_hint(const char* line_copy) {
    std::string_view text(line_copy);
    std::string comment;
    if (const std::size_t at = text.find_first_of("#/;"); at != std::string_view::npos) {
        comment = " " + std::string(text.substr(at));
        text = text.substr(0, at);
    }
    const std::size_t start = text.find_first_not_of(" \t,");
    if (start == std::string_view::npos) return "";
    const std::size_t end = std::min(text.find_first_of(" \t,", start), text.size());
    const std::string keyword(text.substr(start, end - start));
    std::vector<ArgumentWord> words = argument_words(text.substr(end));
    for (ArgumentWord& w : words) w.after_comma = false;  // a comma parts no more than a blank here

    if (words.size() > 2) {
        const Regrouped found = regrouped(words, 2, "", [](std::size_t) { return true; }, fitting_position);
        if (!found.arguments.empty())
            return "an angle in a Configuration file is written without blanks: " + keyword + " " +
                   found.arguments[0] + " " + found.arguments[1] + comment;
    }
    if (words.size() == 2 && fitting_position(0, words[0].text).empty()) {
        const std::string lat = fitting_position(0, words[1].text);
        const std::string lon = fitting_position(1, words[0].text);
        if (!lat.empty() && !lon.empty())
            return "latitude and longitude are the other way round (the latitude lies within -90..90, and comes "
                   "first): " + keyword + " " + lat + " " + lon + comment;
    }
    return "";
}

void offer_position_hint(const char* line_copy) { prefer_hint(position_hint(line_copy)); }
