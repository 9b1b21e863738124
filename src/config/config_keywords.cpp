#include "config/config_keywords.hpp"


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

PrefixMatch match_config_keyword(const char* word) {
    return prefix_match(word, config_keywords, [](const ConfigKeyword& k) { return k.word; });
}
