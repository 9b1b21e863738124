// dmctodeg: an angle, latitude or longitude text in Colon, Dotted or DMC
// notation to signed decimal degrees.
#include <cmath>
#include <cstring>
#include <string_view>

#include "angles/angle_hints.hpp"
#include "angles/angles.hpp"
#include "angles/number_reading.hpp"
#include "text/numbers.hpp"
#include "text/sink.hpp"

namespace {

enum class Notation { colon, dotted, dmc };

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_north_east(char c) { return c == 'N' || c == 'n' || c == 'E' || c == 'e'; }
bool is_south_west(char c) { return c == 'S' || c == 's' || c == 'W' || c == 'w'; }
bool is_dmc_identifier(char c) { return std::strchr("DdMmCc", c) != nullptr; }

// What the first pass over the text found.
struct Census {
    int minus = 0;
    int colons = 0;
    int periods = 0;
    int letters = 0;
    bool identifier = false;
    char north_east = 0;  // the first N, n, E or e
    char south_west = 0;  // the first S, s, W or w
};

Census take_census(std::string_view text) {
    Census c;
    for (char ch : text) {
        if (ch == '-') ++c.minus;
        if (ch == ':') ++c.colons;
        if (ch == '.') ++c.periods;
        if (!is_letter(ch)) continue;
        ++c.letters;
        if (is_dmc_identifier(ch)) c.identifier = true;
        if (is_north_east(ch) && c.north_east == 0) c.north_east = ch;
        if (is_south_west(ch) && c.south_west == 0) c.south_west = ch;
    }
    return c;
}

// Step 1: the notation of the text, or false after its message.
bool classify(const Census& c, Notation& notation, Sink& out) {
    if (c.minus > 1) {
        // "too man" is kept as operators' scripts expect.
        out.error("too man minus signs: %d: only one is allowed\n", c.minus);
        return false;
    }
    if (c.colons > 0) {
        if (c.colons != 2) {
            out.error("Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n");
            return false;
        }
        if (c.periods > 1) {
            out.error("Colon format: too many periods: [s][D]DD:MM:SS[.F*]\n");
            return false;
        }
        if (c.letters > 0) {
            out.error("Colon format: has alpha characters: [s][D]DD:MM:SS[.F*]\n");
            return false;
        }
        notation = Notation::colon;
        return true;
    }
    if (c.letters > 0) {
        if (!c.identifier) {
            out.error("DMC format must have at least one of [DdMmCc] identifiers\n"
                      "\tor Dotted format: found illegal character: [s][D]DD.MM.[F*]\n");
            return false;
        }
        if (c.minus > 0 && (c.north_east != 0 || c.south_west != 0)) {
            out.error("DMC format: both minus (-) and direction char %c cannot be specified\n",
                      c.north_east != 0 ? c.north_east : c.south_west);
            return false;
        }
        if (c.north_east != 0 && c.south_west != 0) {
            out.error("DMC format: both direction chars %c and %c cannot be specified\n",
                      c.north_east, c.south_west);
            return false;
        }
        notation = Notation::dmc;
        return true;
    }
    if (c.periods == 0) {
        out.error("Unrecognized format: must be one of Dotted, Colon or DMC\n");
        return false;
    }
    if (c.periods != 2) {
        out.error("Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
                  "\tor DMC format must have at least one of [DdMmCc] identifiers\n");
        return false;
    }
    notation = Notation::dotted;
    return true;
}

// The single-precision working values of the three parts.
struct Parts {
    float degrees = 0.0f;
    float minutes = 0.0f;
    float seconds = 0.0f;
};

// [s]DD:MM:SS[.F*] — exactly two colons, checked by classify.
Parts read_colon(std::string_view text) {
    const std::size_t first = text.find(':');
    const std::size_t second = text.find(':', first + 1);
    Parts p;
    p.degrees = to_single(integer_reading(text.substr(0, first)));
    p.minutes = to_single(integer_reading(text.substr(first + 1, second - first - 1)));
    p.seconds = to_single(real_reading(text.substr(second + 1)));
    return p;
}

// [s]DD.MM.[F*] — the digits after the second period are the minutes' fraction.
Parts read_dotted(std::string_view text) {
    const std::size_t first = text.find('.');
    Parts p;
    p.degrees = to_single(integer_reading(text.substr(0, first)));
    p.minutes = to_single(real_reading(text.substr(first + 1)));
    return p;
}

// One D, M or C identifier: its number is the text from the field start up
// to the identifier, converted whole whatever its length.
bool take_dmc_part(std::string_view field, const char* name, bool& given, float& value, Sink& out) {
    if (given) {
        out.error("DMC format: already have %s (%f)\n", name, static_cast<double>(value));
        return false;
    }
    value = to_single(real_reading(field));
    given = true;
    return true;
}

// Parts in any order, each number followed by its identifier; direction
// letters may stand before or after any part.
bool read_dmc(std::string_view text, Parts& p, Sink& out) {
    bool have_degrees = false;
    bool have_minutes = false;
    bool have_seconds = false;
    std::size_t field = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const std::string_view number = text.substr(field, i - field);
        bool ok = true;
        if (ch == ' ' || ch == '\t' || ch == '+' || ch == '-' || ch == '.' || (ch >= '0' && ch <= '9')) {
            continue;
        } else if (is_north_east(ch) || is_south_west(ch)) {
            // a direction only restarts the field
        } else if (ch == 'D' || ch == 'd') {
            ok = take_dmc_part(number, "degrees", have_degrees, p.degrees, out);
        } else if (ch == 'M' || ch == 'm') {
            ok = take_dmc_part(number, "minutes", have_minutes, p.minutes, out);
        } else if (ch == 'C' || ch == 'c') {
            ok = take_dmc_part(number, "seconds", have_seconds, p.seconds, out);
        } else {
            out.error("DMC format: invalid char: %c (0x%02x)\n", ch,
                      static_cast<unsigned>(static_cast<unsigned char>(ch)));
            return false;
        }
        if (!ok) return false;
        field = i + 1;
    }
    if (field != text.size()) {
        out.printf("\a\aInternal Error: pointer mismatch\n");
        return false;
    }
    return true;
}

}  // namespace

double dmctodeg(const char* text, Sink& out) {
    if (text == nullptr || text[0] == '\0') {
        out.printf("dmctodeg: Error: invalid param inp\n");
        return ANGLE_ERROR;
    }
    std::string_view angle(text);
    angle = angle.substr(0, angle.find('\n'));  // a newline ends the text too

    const Census census = take_census(angle);
    Notation notation{};
    if (!classify(census, notation, out)) {
        offer_angle_hint(out, angle);
        return ANGLE_ERROR;
    }

    Parts p;
    switch (notation) {
    case Notation::colon: p = read_colon(angle); break;
    case Notation::dotted: p = read_dotted(angle); break;
    case Notation::dmc:
        if (!read_dmc(angle, p, out)) {
            offer_angle_hint(out, angle);
            return ANGLE_ERROR;
        }
        break;
    }

    if (!(p.seconds > -60.0f && p.seconds < 60.0f)) {
        out.error("sec %f is out of range [0..59.99]\n", static_cast<double>(p.seconds));
        return ANGLE_ERROR;
    }
    if (!(p.minutes > -60.0f && p.minutes < 60.0f)) {
        out.error("min %f is out of range [0..59.99]\n", static_cast<double>(p.minutes));
        return ANGLE_ERROR;
    }

    // The result is negative when a part was written with a minus sign (a
    // zero degrees part and the minutes or seconds included) or when a south
    // or west letter stands in the text; minutes and seconds always add to
    // the magnitude of the degrees.
    const double d = p.degrees;
    const double m = p.minutes;
    const double s = p.seconds;
    const bool negative = std::signbit(d) || std::signbit(m) || std::signbit(s) ||
                          (notation == Notation::dmc && census.south_west != 0);
    const double fraction = std::fabs(s) * 0.0002777777777777778 + std::fabs(m) * 0.016666666666666666;
    double result = negative ? -(std::fabs(d) + fraction) : d + fraction;
    if (result == 0.0) result = 0.0;  // no negative zero

    if (!(result >= -360.0 && result <= 360.0)) {
        out.error("degrees %f are out of range [-360..360]\n", result);
        return ANGLE_ERROR;
    }
    return result;
}
