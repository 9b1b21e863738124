#include "config/config_keywords.hpp"

#include <cstring>
#include <strings.h>

const ConfigKeyword config_keywords[CONFIG_KEYWORD_COUNT] = {
    {"call", ConfigKind::call_sign},
    {"ssid", ConfigKind::ssid},
    {"position", ConfigKind::position},
    {"base", ConfigKind::position},
    {"havegps", ConfigKind::have_gps},
    {"log", ConfigKind::log_port},
    {"dropmangld", ConfigKind::drop_mangled},
    {"haltonerr", ConfigKind::halt_on_error},
    {"fixvalid", ConfigKind::fix_valid},
    {"host", ConfigKind::host_baud},
    {"tnc", ConfigKind::tnc_baud},
    {"gps", ConfigKind::gps_baud},
    {"nsr", ConfigKind::nsr},
    {"relaydrop", ConfigKind::relay_drop},
    {"widemax", ConfigKind::wide_max},
    {"widetotal", ConfigKind::wide_total},
    {"dupewin", ConfigKind::dupe_window},
    {"nonaprs", ConfigKind::pass_nonaprs},
    {"digipath", ConfigKind::digi_path},
    {"beacon", ConfigKind::beacon_interval},
    {"bcomment", ConfigKind::beacon_comment},
};

KeywordMatch match_config_keyword(const char* word, const ConfigKeyword** keyword) {
    const std::size_t n = std::strlen(word);
    const ConfigKeyword* found = nullptr;
    for (const ConfigKeyword& k : config_keywords) {
        if (n > std::strlen(k.word) || strncasecmp(word, k.word, n) != 0) continue;
        if (found != nullptr) return KeywordMatch::ambiguous;
        found = &k;
    }
    if (found == nullptr) return KeywordMatch::unknown;
    *keyword = found;
    return KeywordMatch::found;
}
