#include "angles/angle_hints.hpp"

#include "angles/angles.hpp"
#include "text/sink.hpp"
#include "text/sink.hpp"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

// [sign] digits [. digits]: how maps and GPS units write decimal degrees.
bool is_decimal_number(std::string_view t) {
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) t.remove_prefix(1);
    bool digits = false, point = false;
    for (char c : t) {
        if (is_digit(c)) digits = true;
        else if (c == '.' && !point) point = true;
        else return false;
    }
    return digits;
}

bool ends_with_dmc_letter(std::string_view t) {
    if (t.empty()) return false;
    switch (t.back()) {
    case 'D': case 'd': case 'M': case 'm': case 'C': case 'c':
    case 'N': case 'n': case 'S': case 's': case 'E': case 'e': case 'W': case 'w': return true;
    default: return false;
    }
}

}  // namespace

std::string angle_hint(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (is_decimal_number(t)) return "write " + std::string(t) + "D for decimal degrees";
    if (t.size() < text.size() && is_blank(text.back()) && ends_with_dmc_letter(t)) {
        const std::string_view kept = text.substr(0, text.find_last_not_of(" \t") + 1);
        return "remove the blank after \"" + std::string(trimmed(kept)) +
               "\": a DMC angle ends at its last letter, right before the comma, tab or comment";
    }
    return "";
}

void offer_angle_hint(Sink& out, std::string_view text) {
    const std::string hint = angle_hint(text);
    if (!hint.empty()) out.hints().offer(hint);
}

std::string unreadable_angle_hint(std::string_view text) {
    std::string hint = "\"";  // built by appending: g++ 12 at -O3 warns wrongly on "..." + string&&
    hint += trimmed(text);
    return hint + "\" could not be read as an angle at all (340282346638528859811704183484516925440.000000 only stands "
           "for that): write it in Colon (39:30:00), Dotted (39.30.) or DMC (39d30m) notation; angles shows them";
}

std::string fitting_angle(std::string_view text, double low, double high) {
    const std::string t(trimmed(text));
    if (t.empty()) return "";
    const std::string written = is_decimal_number(t) ? t + "D" : t;
    StringSink quiet;  // the readings tried here print nothing and offer no hints
    const double value = dmctodeg(written.c_str(), quiet);
    return value != ANGLE_ERROR && value >= low && value <= high ? written : "";
}

std::vector<ArgumentWord> argument_words(std::string_view text) {
    std::vector<ArgumentWord> words;
    bool comma = false;
    std::string word;
    const auto end_word = [&] {
        if (word.empty()) return;
        words.push_back({word, comma});
        word.clear();
        comma = false;
    };
    for (char c : text) {
        if (c == ',' || c == '\t') {
            end_word();
            comma = true;
        } else if (c == ' ') {
            end_word();
        } else {
            word += c;
        }
    }
    end_word();
    return words;
}

namespace {

struct Regrouping {
    const std::vector<ArgumentWord>& words;
    std::size_t count;
    const char* joiner;
    const std::function<bool(std::size_t)>& spans;
    const std::function<std::string(std::size_t, const std::string&)>& fits;
    Regrouped found;

    // Groups from group `g` on, beginning at word `w`.
    bool from(std::size_t g, std::size_t w) {
        if (g == count) return w == words.size();
        if (w == words.size()) return false;
        std::string text;
        for (std::size_t end = w; end < words.size(); ++end) {
            if (end > w && (words[end].after_comma || !spans(g))) break;
            if (end > w) text += joiner;
            text += words[end].text;
            const std::string written = fits(g, text);
            if (written.empty()) continue;
            found.arguments.push_back(written);
            found.starts.push_back(w);
            if (from(g + 1, end + 1)) return true;
            found.arguments.pop_back();
            found.starts.pop_back();
        }
        return false;
    }
};

}  // namespace

Regrouped regrouped(const std::vector<ArgumentWord>& words, std::size_t count, const char* joiner,
                    const std::function<bool(std::size_t)>& spans,
                    const std::function<std::string(std::size_t, const std::string&)>& fits) {
    Regrouping r{words, count, joiner, spans, fits, {}};
    return r.from(0, 0) ? r.found : Regrouped{};
}
