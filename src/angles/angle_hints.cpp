#include "angles/angle_hints.hpp"

#include "text/hints.hpp"

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

void offer_angle_hint(std::string_view text) {
    const std::string hint = angle_hint(text);
    if (!hint.empty()) offer_hint(hint);
}
