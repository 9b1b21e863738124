// The device's configuration image: 166 bytes, little-endian, sent to the
// device exactly as it lies in memory.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the configuration and rule images are sent as they lie in memory: "
              "the target must be little-endian");

#pragma pack(push, 1)
struct ConfigRecord {
    uint32_t host_baud;
    uint32_t gps_baud;
    uint32_t tnc_baud;
    float base_lat;
    float base_lon;
    char call_sign[8];
    uint16_t ssid;
    uint16_t wide_max;
    uint16_t wide_total;
    uint16_t relay_drop;
    uint16_t nsr;
    uint16_t have_gps;
    uint16_t dupe_window;
    uint16_t beacon_interval;
    uint16_t log_port;
    uint16_t halt_on_error;
    uint16_t drop_mangled;
    uint16_t fix_valid;
    uint16_t pass_nonaprs;
    uint16_t implicit_action;
    uint16_t rule_count;
    char digi_path[8][8];
    char beacon_comment[44];
};
#pragma pack(pop)

static_assert(sizeof(ConfigRecord) == 166);
static_assert(offsetof(ConfigRecord, host_baud) == 0);
static_assert(offsetof(ConfigRecord, gps_baud) == 4);
static_assert(offsetof(ConfigRecord, tnc_baud) == 8);
static_assert(offsetof(ConfigRecord, base_lat) == 12);
static_assert(offsetof(ConfigRecord, base_lon) == 16);
static_assert(offsetof(ConfigRecord, call_sign) == 20);
static_assert(offsetof(ConfigRecord, ssid) == 28);
static_assert(offsetof(ConfigRecord, wide_max) == 30);
static_assert(offsetof(ConfigRecord, wide_total) == 32);
static_assert(offsetof(ConfigRecord, relay_drop) == 34);
static_assert(offsetof(ConfigRecord, nsr) == 36);
static_assert(offsetof(ConfigRecord, have_gps) == 38);
static_assert(offsetof(ConfigRecord, dupe_window) == 40);
static_assert(offsetof(ConfigRecord, beacon_interval) == 42);
static_assert(offsetof(ConfigRecord, log_port) == 44);
static_assert(offsetof(ConfigRecord, halt_on_error) == 46);
static_assert(offsetof(ConfigRecord, drop_mangled) == 48);
static_assert(offsetof(ConfigRecord, fix_valid) == 50);
static_assert(offsetof(ConfigRecord, pass_nonaprs) == 52);
static_assert(offsetof(ConfigRecord, implicit_action) == 54);
static_assert(offsetof(ConfigRecord, rule_count) == 56);
static_assert(offsetof(ConfigRecord, digi_path) == 58);
static_assert(offsetof(ConfigRecord, beacon_comment) == 122);
static_assert(sizeof(float) == 4, "single precision floats are 4 bytes");

// Implicit rule action codes, as characters.
inline constexpr uint16_t IMPLICIT_PASS = 0x70;  // 'p'
inline constexpr uint16_t IMPLICIT_DROP = 0x64;  // 'd'

extern const ConfigRecord default_config;

// Copies all 166 bytes of default_config over the record.
void load_config_defaults(ConfigRecord& record);

// The defaults with the two fields the Rules file sets taken from `record`:
// its rule count, and its implicit action when it is Drop (else Pass). This
// is what every Configuration file starts from, and the default
// configuration a download sends when no Configuration file is in force.
ConfigRecord defaults_keeping_rule_fields(const ConfigRecord& record);

struct Station;

// The rate connect uses when none is given: the GPS-port rate when a GPS is
// attached, else the host-port rate, read from the station's record when a
// Configuration file is in force, else from the defaults.
int32_t default_connect_baud(const Station& station);
