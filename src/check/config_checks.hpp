// Likely mistakes in a Configuration file that the parser takes without a
// word: yes/no words that only look like yes or no, path elements and
// comment text that are dropped, a call sign never set, a host rate connect
// cannot use by default.
#pragma once

#include <cstdio>
#include <vector>

#include "check/check_warning.hpp"
#include "station/config_record.hpp"

// What the checks of the rules need to know of the file.
struct ConfigFacts {
    int position_line = 0;  // the last position or base line; 0 when none
};

// Reads the lines of a Configuration file that the parser read without error
// again, and looks at `record`, the configuration it made. The warnings come
// in the order of their lines, the ones without a line last.
std::vector<CheckWarning> check_config(std::FILE* file, const ConfigRecord& record, ConfigFacts& facts);
