// The grammar of a Configuration file: its keywords, and for each what its
// argument is, how it is cut from the line, what values it may take and
// which field of the configuration record it sets. The parser reads its
// lines by this table and the file check reads them again by the same one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "station/config_record.hpp"
#include "station/field_ranges.hpp"
#include "text/prefix_match.hpp"

// The kind names the keyword's field; `position` and `base` share one kind.
enum class ConfigKind {
    call_sign,
    ssid,
    position,
    have_gps,
    log_port,
    drop_mangled,
    halt_on_error,
    fix_valid,
    host_baud,
    tnc_baud,
    gps_baud,
    nsr,
    relay_drop,
    wide_max,
    wide_total,
    dupe_window,
    pass_nonaprs,
    digi_path,
    beacon_interval,
    beacon_comment,
};

// How an argument is read.
enum class ConfigReading {
    call_sign,  // a word of at most `stored` characters, stored upper-cased with one NUL
    number,     // an integer within the limits
    rate,       // a decimal integer that the baud rate table holds
    yes_no,     // a switch: only the first character counts
    position,   // a latitude, then a longitude: two angles
    path,       // a text of path elements, each of at most `stored` characters
    text,       // a text, of which at most `stored` characters are stored
};

enum class NumberForm {
    decimal,   // decimal digits only
    prefixed,  // 0x or 0X: hexadecimal; a leading 0: octal
};

// Where a keyword's word ends and where its argument ends.
inline constexpr const char* CONFIG_KEYWORD_SEPARATORS = " \t,";
inline constexpr const char* CONFIG_WORD_SEPARATORS = "#/; \t,";
inline constexpr const char* CONFIG_LATITUDE_SEPARATORS = " \t,";  // the latitude of a position
inline constexpr const char* CONFIG_TEXT_SEPARATORS = "#/;\t";     // a text may hold blanks and commas
// How a path text is cut into its elements.
inline constexpr const char* PATH_ELEMENT_SEPARATORS = ", ";
// The number of path elements the record holds.
inline constexpr std::size_t PATH_SLOTS = std::extent_v<decltype(ConfigRecord::digi_path)>;

// What one keyword takes.
struct ConfigGrammar {
    ConfigReading reading;
    const char* separators;       // where the argument (of a position: the latitude) ends
    bool comment_test;            // one that begins after a comment character is missing
    const char* name;             // in the messages: "missing %s argument"
    NumberForm form = NumberForm::decimal;
    IntRange limits{};            // the values a number may take
    bool zero_too = false;        // a number may also be 0
    std::size_t stored = 0;       // the characters a word, path element or text keeps
    bool pass_is_yes = false;     // a switch also reads 'p' and 'P' as yes
    uint16_t ConfigRecord::*field = nullptr;      // a number or a switch
    uint32_t ConfigRecord::*rate_field = nullptr;  // a rate
};

struct ConfigKeyword {
    const char* word;
    ConfigKind kind;
    ConfigGrammar takes;
};

inline constexpr std::size_t CONFIG_KEYWORD_COUNT = 21;
extern const ConfigKeyword config_keywords[CONFIG_KEYWORD_COUNT];

// Matches a word, ignoring case, as a leading part of the keywords, in table
// order. A word that fits two keywords is ambiguous; a word longer than a
// keyword never matches it.
PrefixMatch match_config_keyword(const char* word);

// A switch's reading of its word: yes (1) when the first character is one of
// y, Y, 1, t, T, e and E, or p and P where the switch takes them; else no (0).
uint16_t switch_value(const ConfigGrammar& takes, const char* word);
