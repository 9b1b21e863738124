// The rule table: the operator's filter rules in the exact binary form the
// device receives, 50 packed records of 28 bytes, little-endian, with
// single-precision floats. How many records are in use and the implicit
// rule's action live in the configuration record (rule_count,
// implicit_action).
#pragma once

#include <cstddef>
#include <cstdint>


inline constexpr int MAX_RULES = 50;

// Kind codes, as the rule command table gives them.
inline constexpr uint8_t KIND_IMPLICIT = 38;     // never stored in a record
inline constexpr uint8_t KIND_DESTINATION = 39;
inline constexpr uint8_t KIND_SOURCE = 40;
inline constexpr uint8_t KIND_CIRCLE = 41;
inline constexpr uint8_t KIND_COMPASS = 42;
inline constexpr uint8_t KIND_RECTANGLE = 43;
inline constexpr uint8_t KIND_SECTOR = 44;

// Action codes: the low nibble of action_mods.
inline constexpr uint8_t ACTION_DROP = 4;
inline constexpr uint8_t ACTION_PASS = 8;
inline constexpr uint8_t ACTION_MASK = 0x0F;

// Modifier bits: the high nibble of action_mods, the form of a call-sign
// pattern of a destination or source rule.
inline constexpr uint8_t MOD_PREFIX = 0x10;  // characters followed by "*"
inline constexpr uint8_t MOD_ANY = 0x20;     // the pattern began with "*" (always with MOD_PREFIX)
inline constexpr uint8_t MOD_SSID = 0x40;    // call-n
inline constexpr uint8_t MOD_MASK = 0xF0;

inline constexpr int CALLSIGN_SIZE = 6;

#pragma pack(push, 1)
// The argument fields of each kind share the first 22 bytes; bytes a kind does
// not use stay 0.
struct RuleRecord {
    union {                        // offset 0, 6 bytes
        char callsign[CALLSIGN_SIZE];  // destination, source: as typed, NUL-filled, no NUL when full
        uint8_t direction;             // compass: 1 (N) to 8 (NW)
        float radius;                  // circle, miles
        float lat1;                    // rectangle
        float angle1;                  // sector, degrees
    };
    union {                        // offset 6, 4 bytes
        uint8_t ssid;                  // destination, source: with MOD_SSID only
        float lat;                     // circle, compass
        float lon1;                    // rectangle
        float angle2;                  // sector, degrees
    };
    uint8_t unused1[2];            // offset 10
    union {                        // offset 12, 4 bytes
        float lon;                     // circle, compass
        float lat2;                    // rectangle
        float inner_range;             // sector
    };
    uint8_t unused2[2];            // offset 16
    union {                        // offset 18, 4 bytes
        float lon2;                    // rectangle
        float outer_range;             // sector; 0 when the rule gives none
    };
    uint16_t reserved;             // offset 22, always 0
    uint8_t kind;                  // offset 24
    uint8_t action_mods;           // offset 25: modifier bits | action code
    uint16_t line;                 // offset 26: line of the rule in the Rules file, from 1
};

struct RuleTable {
    RuleRecord slot[MAX_RULES];
};
#pragma pack(pop)

static_assert(sizeof(float) == 4);
static_assert(sizeof(RuleRecord) == 28);
static_assert(offsetof(RuleRecord, callsign) == 0);
static_assert(offsetof(RuleRecord, direction) == 0);
static_assert(offsetof(RuleRecord, radius) == 0);
static_assert(offsetof(RuleRecord, lat1) == 0);
static_assert(offsetof(RuleRecord, angle1) == 0);
static_assert(offsetof(RuleRecord, ssid) == 6);
static_assert(offsetof(RuleRecord, lat) == 6);
static_assert(offsetof(RuleRecord, lon1) == 6);
static_assert(offsetof(RuleRecord, angle2) == 6);
static_assert(offsetof(RuleRecord, unused1) == 10);
static_assert(offsetof(RuleRecord, lon) == 12);
static_assert(offsetof(RuleRecord, lat2) == 12);
static_assert(offsetof(RuleRecord, inner_range) == 12);
static_assert(offsetof(RuleRecord, unused2) == 16);
static_assert(offsetof(RuleRecord, lon2) == 18);
static_assert(offsetof(RuleRecord, outer_range) == 18);
static_assert(offsetof(RuleRecord, reserved) == 22);
static_assert(offsetof(RuleRecord, kind) == 24);
static_assert(offsetof(RuleRecord, action_mods) == 25);
static_assert(offsetof(RuleRecord, line) == 26);
static_assert(sizeof(RuleTable) == static_cast<std::size_t>(MAX_RULES) * 28);

// One row of the rule command table: a command word of the Rules file and its
// kind code.
struct RuleCommand {
    const char* word;
    uint8_t kind;
};

inline constexpr int RULE_COMMAND_COUNT = 9;
// "implicit", "destin", "dst", "source", "src", "circle", "compass",
// "rectangle", "sector", in this order: abbreviations are matched and command
// names found in it.
extern const RuleCommand rule_command_table[RULE_COMMAND_COUNT];

// Names of the compass direction codes 0 to 8; 0 is "Error".
inline constexpr int COMPASS_DIRECTION_COUNT = 9;
extern const char* const compass_direction_names[COMPASS_DIRECTION_COUNT];

// One action word of a rule line; written whole.
struct RuleAction {
    const char* word;
    uint8_t code;
};

inline constexpr int RULE_ACTION_COUNT = 4;
extern const RuleAction rule_action_words[RULE_ACTION_COUNT];
