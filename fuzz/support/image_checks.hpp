// The invariants of the configuration image and the rule table that every
// target holds the product's state to after an input.
#pragma once

#include <string_view>

#include "station/station.hpp"

// Every field of the station's configuration record lies in the range its keyword
// accepts. With `file_in_force` (the last Configuration file was read to its
// end) the digipeater path also matches its element count.
void check_config_image(const Station& station, bool file_in_force, std::string_view output);

// With `rules_in_force` (the last Rules file was read to its end): at most 50
// records in use, each valid for its kind, every byte after them 0. Without:
// no record counted, and what a failed file wrote lies in the first slots.
void check_rule_table(const Station& station, bool rules_in_force, std::string_view output);
