// The names of the two actions, drop and pass, wherever a record's rule
// action or the configuration's implicit action is shown: one row per
// action, its codes in both images, the name the displays print and the
// word a Rules file writes.
#pragma once

#include <cstdint>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"

struct ActionName {
    uint8_t rule_action;       // the low nibble of a record's action_mods
    uint16_t implicit_action;  // the configuration's implicit_action
    const char* display;       // "Drop", "Pass"
    const char* word;          // "drop", "pass"
};

inline constexpr ActionName action_names[] = {
    {ACTION_DROP, IMPLICIT_DROP, "Drop", "drop"},
    {ACTION_PASS, IMPLICIT_PASS, "Pass", "pass"},
};
inline constexpr const ActionName& drop_action = action_names[0];
inline constexpr const ActionName& pass_action = action_names[1];

// What the displays print for a code that is neither action.
inline constexpr const char* UNKNOWN_ACTION_DISPLAY = "?";

// The display name of a record's rule action (the low nibble of action_mods).
inline const char* rule_action_display(uint8_t action_mods) {
    for (const ActionName& a : action_names)
        if ((action_mods & ACTION_MASK) == a.rule_action) return a.display;
    return UNKNOWN_ACTION_DISPLAY;
}

// The display name of an implicit action.
inline const char* implicit_action_display(uint16_t implicit_action) {
    for (const ActionName& a : action_names)
        if (implicit_action == a.implicit_action) return a.display;
    return UNKNOWN_ACTION_DISPLAY;
}
