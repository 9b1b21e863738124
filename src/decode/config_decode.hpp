// A configuration image read back into a Configuration file, and into the
// fields that dconfigure shows.
#pragma once

#include <string>
#include <vector>

#include "station/config_record.hpp"

// The text of a Configuration file that configure turns into `config`
// again, byte for byte, except for rule_count and implicit_action, which
// come from the Rules file. It begins with `header` as a comment. What no
// Configuration file can give (a flag of 2, a lower-case call sign, ...) is
// named in `problems` and, as a comment line, in the text.
std::string decode_config(const ConfigRecord& config, const std::string& header, std::vector<std::string>& problems);

// One field of the image as dconfigure names it, with its value as text.
struct ConfigField {
    const char* name;
    std::string value;
};
std::vector<ConfigField> config_fields(const ConfigRecord& config);

// The call sign up to its NUL, and CALL-SSID as the journal names a station.
std::string config_call_sign(const ConfigRecord& config);
std::string config_station(const ConfigRecord& config);

// A line as written in one of the two files, with control bytes and bytes
// beyond ASCII shown as \xNN, for messages.
std::string printable(const std::string& text);
