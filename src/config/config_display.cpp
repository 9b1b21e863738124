#include "config/config_display.hpp"

#include <algorithm>
#include <string>

#include "station/config_record.hpp"
#include "station/action_names.hpp"
#include "station/station.hpp"
#include "text/sink.hpp"

namespace {

const char* yes_no(uint16_t flag) { return flag != 0 ? "Yes" : "No"; }
const char* en_dis(uint16_t flag) { return flag != 0 ? "En" : "Dis"; }

// A text field up to its first NUL or its end: a record filled from
// elsewhere, without a terminator, never makes the display read past a field.
template <std::size_t N>
std::string field_text(const char (&field)[N]) {
    return std::string(field, std::find(field, field + N, '\0'));
}

}  // namespace

void show_config(const Station& station, Sink& out) {
    const ConfigRecord& config = station.config;
    const int32_t digi_path_count = station.digi_path_count;
    const std::string call = field_text(config.call_sign);
    const std::string comment = field_text(config.beacon_comment);

    out.printf("Configuration:\nStation Call\t%*s\tSSID 0x%02x\nBase Lat %10.6f\tLon %11.5f\nHost baud\t%lu\n"
               "GPS  baud\t%lu\nTNC  baud\t%lu\nWIDE Max %u\tWIDE Total %u\nDupe Window %u sec.\tBeacon %u sec.\n"
               "NSR: %sabled\tRelay Drop: %sabled\n",
               6, call.c_str(), static_cast<unsigned>(config.ssid), static_cast<double>(config.base_lat),
               static_cast<double>(config.base_lon), static_cast<unsigned long>(config.host_baud),
               static_cast<unsigned long>(config.gps_baud), static_cast<unsigned long>(config.tnc_baud),
               static_cast<unsigned>(config.wide_max), static_cast<unsigned>(config.wide_total),
               static_cast<unsigned>(config.dupe_window), static_cast<unsigned>(config.beacon_interval),
               en_dis(config.nsr), en_dis(config.relay_drop));

    out.printf("Digi Path[%d]: ", static_cast<int>(digi_path_count));
    const int count = digi_path_count < 8 ? digi_path_count : 8;  // never beyond the 8 slots
    for (int i = 0; i < count; ++i) {
        out.printf("%.*s%s", 8, config.digi_path[i], i + 1 < count ? "," : "");
    }

    out.printf("\nBeacon Comment: %s\n", comment.c_str());

    out.printf("Log Port: %s\tHave GPS: %s\nFix Valid: %s\tPass packets without valid position: %s\n"
               "Halt On Error: %s\tDrop Mangled Packet: %s\nRule count %u\tImplicit Rule Action: %s\n",
               yes_no(config.log_port), yes_no(config.have_gps), yes_no(config.fix_valid),
               yes_no(config.pass_nonaprs), yes_no(config.halt_on_error), yes_no(config.drop_mangled),
               static_cast<unsigned>(config.rule_count), implicit_action_display(config.implicit_action));
}
