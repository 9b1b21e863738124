#include "config/config_keywords.hpp"

#include <cstring>

namespace {

constexpr ConfigGrammar yes_no(uint16_t ConfigRecord::*field, bool pass_is_yes = false) noexcept {
    return {.reading = ConfigReading::yes_no, .separators = CONFIG_WORD_SEPARATORS, .comment_test = true,
            .name = "y | n", .pass_is_yes = pass_is_yes, .field = field};
}

constexpr ConfigGrammar rate(uint32_t ConfigRecord::*field) noexcept {
    return {.reading = ConfigReading::rate, .separators = CONFIG_WORD_SEPARATORS, .comment_test = true,
            .name = "Baud", .rate_field = field};
}

// A number within [low, high], or 0 too where zero_too.
constexpr ConfigGrammar number(const char* name, NumberForm form, IntRange range, uint16_t ConfigRecord::*field,
                               bool zero_too = false) noexcept {
    return {.reading = ConfigReading::number, .separators = CONFIG_WORD_SEPARATORS, .comment_test = true,
            .name = name, .form = form, .limits = range, .zero_too = zero_too,
            .field = field};
}

constexpr ConfigGrammar text(ConfigReading reading, const char* name, std::size_t stored) noexcept {
    return {.reading = reading, .separators = CONFIG_TEXT_SEPARATORS, .comment_test = true, .name = name,
            .stored = stored};
}

// The latitude has no comment test; the longitude after it is a word.
constexpr ConfigGrammar POSITION{.reading = ConfigReading::position, .separators = CONFIG_LATITUDE_SEPARATORS,
                                 .comment_test = false, .name = "Station Latitude"};

constexpr ConfigGrammar CALL_SIGN{.reading = ConfigReading::call_sign, .separators = CONFIG_WORD_SEPARATORS,
                                  .comment_test = true, .name = "Call Sign", .stored = 6};

constexpr IntRange WIDE_RANGE{1, 6};
constexpr IntRange DUPE_WINDOW_RANGE{5, 500};
constexpr IntRange BEACON_RANGE{10, 65535};  // seconds, or 0: no beacon

}  // namespace

const ConfigKeyword config_keywords[CONFIG_KEYWORD_COUNT] = {
    {"call", ConfigKind::call_sign, CALL_SIGN},
    {"ssid", ConfigKind::ssid, number("SSID", NumberForm::prefixed, SSID_RANGE, &ConfigRecord::ssid)},
    {"position", ConfigKind::position, POSITION},
    {"base", ConfigKind::position, POSITION},
    {"havegps", ConfigKind::have_gps, yes_no(&ConfigRecord::have_gps)},
    {"log", ConfigKind::log_port, yes_no(&ConfigRecord::log_port)},
    {"dropmangld", ConfigKind::drop_mangled, yes_no(&ConfigRecord::drop_mangled)},
    {"haltonerr", ConfigKind::halt_on_error, yes_no(&ConfigRecord::halt_on_error)},
    {"fixvalid", ConfigKind::fix_valid, yes_no(&ConfigRecord::fix_valid)},
    {"host", ConfigKind::host_baud, rate(&ConfigRecord::host_baud)},
    {"tnc", ConfigKind::tnc_baud, rate(&ConfigRecord::tnc_baud)},
    {"gps", ConfigKind::gps_baud, rate(&ConfigRecord::gps_baud)},
    {"nsr", ConfigKind::nsr, yes_no(&ConfigRecord::nsr)},
    {"relaydrop", ConfigKind::relay_drop, yes_no(&ConfigRecord::relay_drop)},
    {"widemax", ConfigKind::wide_max, number("n", NumberForm::decimal, WIDE_RANGE, &ConfigRecord::wide_max)},
    {"widetotal", ConfigKind::wide_total, number("n", NumberForm::decimal, WIDE_RANGE, &ConfigRecord::wide_total)},
    {"dupewin", ConfigKind::dupe_window,
     number("seconds", NumberForm::decimal, DUPE_WINDOW_RANGE, &ConfigRecord::dupe_window)},
    {"nonaprs", ConfigKind::pass_nonaprs, yes_no(&ConfigRecord::pass_nonaprs, true)},
    {"digipath", ConfigKind::digi_path,
     text(ConfigReading::path, "Digi Path", std::extent_v<decltype(ConfigRecord::digi_path), 1>)},
    {"beacon", ConfigKind::beacon_interval,
     number("seconds", NumberForm::prefixed, BEACON_RANGE, &ConfigRecord::beacon_interval, true)},
    // One byte of the comment field is left for its NUL.
    {"bcomment", ConfigKind::beacon_comment,
     text(ConfigReading::text, "Beacon Comment", sizeof ConfigRecord::beacon_comment - 1)},
};

PrefixMatch match_config_keyword(const char* word) {
    return prefix_match(word, config_keywords, [](const ConfigKeyword& k) { return k.word; });
}

uint16_t switch_value(const ConfigGrammar& takes, const char* word) {
    const char c = word[0];
    if (c != '\0' && std::strchr("yY1tTeE", c) != nullptr) return 1;
    if (takes.pass_is_yes && (c == 'p' || c == 'P')) return 1;
    return 0;
}
