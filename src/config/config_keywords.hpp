// The keywords of a Configuration file and the kind of argument each takes.
#pragma once

#include <cstddef>

#include "text/prefix_match.hpp"

// The kind selects how the argument is read and which field it sets;
// `position` and `base` share one kind.
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

struct ConfigKeyword {
    const char* word;
    ConfigKind kind;
};

inline constexpr std::size_t CONFIG_KEYWORD_COUNT = 21;
extern const ConfigKeyword config_keywords[CONFIG_KEYWORD_COUNT];

// Matches a word, ignoring case, as a leading part of the keywords, in table
// order. A word that fits two keywords is ambiguous; a word longer than a
// keyword never matches it.
PrefixMatch match_config_keyword(const char* word);
