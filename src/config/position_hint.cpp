#include "config/position_hint.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

#include "angles/angle_hints.hpp"
#include "text/sink.hpp"

namespace {

std::string fitting_position(std::size_t i, const std::string& text) {
    return i == 0 ? fitting_angle(text, -90, 90) : fitting_angle(text, -180, 180);
}

}  // namespace

namespace {

struct PositionLine {
    std::string keyword;
    std::vector<ArgumentWord> words;  // after the keyword, up to the comment
    std::string comment;              // with a blank before it, or empty
};

bool cut(const char* line_copy, PositionLine& line) {
    std::string_view text(line_copy);
    if (const std::size_t at = text.find_first_of("#/;"); at != std::string_view::npos) {
        // a blank, then the comment (not " " + string: g++ 12 at -O3 warns wrongly on it)
        line.comment.assign(1, ' ').append(text.substr(at));
        text = text.substr(0, at);
    }
    const std::size_t start = text.find_first_not_of(" \t,");
    if (start == std::string_view::npos) return false;
    const std::size_t end = std::min(text.find_first_of(" \t,", start), text.size());
    line.keyword = std::string(text.substr(start, end - start));
    line.words = argument_words(text.substr(end));
    for (ArgumentWord& w : line.words) w.after_comma = false;  // a comma parts no more than a blank here
    return true;
}

std::string together(const PositionLine& line) {
    if (line.words.size() <= 2) return "";
    const Regrouped found = regrouped(line.words, 2, "", [](std::size_t) { return true; }, fitting_position);
    if (found.arguments.empty()) return "";
    return line.keyword + " " + found.arguments[0] + " " + found.arguments[1] + line.comment;
}

}  // namespace

std::string position_written_together(const char* line_copy, std::string (&read)[2]) {
    PositionLine line;
    if (!cut(line_copy, line) || line.words.size() <= 2) return "";
    read[0] = line.words[0].text;
    read[1] = line.words[1].text;
    return together(line);
}

std::string position_hint(const char* line_copy) {
    PositionLine line;
    if (!cut(line_copy, line)) return "";
    if (const std::string fixed = together(line); !fixed.empty())
        return "an angle in a Configuration file is written without blanks: " + fixed;
    const std::vector<ArgumentWord>& words = line.words;
    if (words.size() == 2 && fitting_position(0, words[0].text).empty()) {
        const std::string lat = fitting_position(0, words[1].text);
        const std::string lon = fitting_position(1, words[0].text);
        if (!lat.empty() && !lon.empty())
            return "latitude and longitude are the other way round (the latitude lies within -90..90, and comes "
                   "first): " + line.keyword + " " + lat + " " + lon + line.comment;
    }
    return "";
}

void offer_position_hint(Sink& out, const char* line_copy) { out.hints().prefer(position_hint(line_copy)); }
