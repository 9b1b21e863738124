// The station the operator prepares: the two images the device receives and
// whether the files that filled them are in force. The parsers fill one they
// are given, the displays and the download read one; the shell owns the
// working one, and every other user (the file check, the map, the tests)
// makes its own.
#pragma once

#include <cstdint>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"

struct Station {
    ConfigRecord config = default_config;  // the configuration image
    int32_t digi_path_count = 0;           // path elements stored by the last digipath line
    // Slots 0 to config.rule_count - 1 are in use, every other byte is 0.
    RuleTable rule_table{};
    int32_t config_processed = 0;  // a Configuration file was read to its end
    int32_t rules_processed = 0;   // a Rules file was read to its end
};
