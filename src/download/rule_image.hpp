// The rule table as the download sends it: records of 28 bytes from slot 0.
#pragma once

#include <cstdint>

inline constexpr int DWN_RULE_RECORD_BYTES = 28;
inline constexpr int DWN_RULE_SLOTS = 50;

// The first byte of the process-wide rule table.
uint8_t* dwn_rule_table_bytes();
