#include "station/config_record.hpp"
#include "station/station.hpp"

// The default base position is the summit of Pikes Peak, Colorado
// (38 deg 50' 26" N, 105 deg 2' 38" W): north and west, as the device expects
// of an unconfigured station.
const ConfigRecord default_config = {
    57600,                               // host_baud
    9600,                                // gps_baud
    19200,                               // tnc_baud
    38.840556f,                          // base_lat
    -105.043889f,                        // base_lon
    {'N', 'O', 'T', 'S', 'E', 'T', 0, 0},  // call_sign
    0,                                   // ssid
    3,                                   // wide_max
    6,                                   // wide_total
    0,                                   // relay_drop
    0,                                   // nsr
    0,                                   // have_gps
    28,                                  // dupe_window
    600,                                 // beacon_interval
    1,                                   // log_port
    0,                                   // halt_on_error
    1,                                   // drop_mangled
    1,                                   // fix_valid
    0,                                   // pass_nonaprs
    IMPLICIT_PASS,                       // implicit_action
    0,                                   // rule_count
    {},                                  // digi_path
    {},                                  // beacon_comment
};

void load_config_defaults(ConfigRecord& record) { record = default_config; }

ConfigRecord defaults_keeping_rule_fields(const ConfigRecord& record) {
    ConfigRecord result = default_config;
    result.rule_count = record.rule_count;
    result.implicit_action = record.implicit_action == IMPLICIT_DROP ? IMPLICIT_DROP : IMPLICIT_PASS;
    return result;
}

int32_t default_connect_baud(const Station& station) {
    // A Configuration file that failed is not in force: its rates are not
    // used, as its other values are not sent.
    const ConfigRecord& in_force = station.config_processed != 0 ? station.config : default_config;
    return static_cast<int32_t>(in_force.have_gps != 0 ? in_force.gps_baud : in_force.host_baud);
}
