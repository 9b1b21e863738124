#include "station/rule_record.hpp"

const RuleCommand rule_command_table[RULE_COMMAND_COUNT] = {
    {"implicit", KIND_IMPLICIT}, {"destin", KIND_DESTINATION}, {"dst", KIND_DESTINATION},
    {"source", KIND_SOURCE},     {"src", KIND_SOURCE},         {"circle", KIND_CIRCLE},
    {"compass", KIND_COMPASS},   {"rectangle", KIND_RECTANGLE}, {"sector", KIND_SECTOR},
};

const char* const compass_direction_names[COMPASS_DIRECTION_COUNT] = {
    "Error", "N", "NE", "E", "SE", "S", "SW", "W", "NW",
};

const RuleAction rule_action_words[RULE_ACTION_COUNT] = {
    {"drop", ACTION_DROP},
    {"d", ACTION_DROP},
    {"pass", ACTION_PASS},
    {"p", ACTION_PASS},
};
