#include "download/rule_image.hpp"

// Stands in for the rule table until the rules subsystem provides it.
namespace {
uint8_t g_rule_table[DWN_RULE_SLOTS * DWN_RULE_RECORD_BYTES];
}

uint8_t* dwn_rule_table_bytes() { return g_rule_table; }
