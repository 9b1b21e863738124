// The configuration display.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conf_run.hpp"
#include "config/config_display.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

std::string display(const Station& station) {
    StringSink out;
    show_config(station, out);
    return out.take();
}

const std::string DEFAULTS_TAIL =
    "Host baud\t57600\n"
    "GPS  baud\t9600\n"
    "TNC  baud\t19200\n"
    "WIDE Max 3\tWIDE Total 6\n"
    "Dupe Window 28 sec.\tBeacon 600 sec.\n"
    "NSR: Disabled\tRelay Drop: Disabled\n"
    "Digi Path[0]: \n"
    "Beacon Comment: \n"
    "Log Port: Yes\tHave GPS: No\n"
    "Fix Valid: Yes\tPass packets without valid position: No\n"
    "Halt On Error: No\tDrop Mangled Packet: Yes\n"
    "Rule count 0\tImplicit Rule Action: Pass\n";

TEST(ShowConfig, ShowsTheDefaults) {
    Station station;
    EXPECT_EQ(visible(display(station)), visible("Configuration:\n"
                                          "Station Call\tNOTSET\tSSID 0x00\n"
                                          "Base Lat  38.840557\tLon  -105.04389\n" +
                                          DEFAULTS_TAIL));
}

TEST(ShowConfig, ShowsEveryFieldChanged) {
    Station station;
    std::memcpy(station.config.call_sign, "K0AB\0T\0", 8);
    station.config.ssid = 15;
    station.config.base_lat = -38.5f;
    station.config.base_lon = 174.75f;
    station.config.host_baud = 115200;
    station.config.gps_baud = 4800;
    station.config.tnc_baud = 110;
    station.config.wide_max = 1;
    station.config.wide_total = 2;
    station.config.dupe_window = 500;
    station.config.beacon_interval = 65535;
    station.config.nsr = 1;
    station.config.relay_drop = 2;  // any non-zero value is on
    station.config.log_port = 0;
    station.config.have_gps = 1;
    station.config.fix_valid = 0;
    station.config.pass_nonaprs = 1;
    station.config.halt_on_error = 1;
    station.config.drop_mangled = 0;
    station.config.rule_count = 50;
    station.config.implicit_action = IMPLICIT_DROP;
    std::memcpy(station.config.digi_path[0], "AAAAAAA1BBBBBBB2", 16);  // two 8-character elements
    std::strcpy(station.config.beacon_comment, "Hello, world");
    station.digi_path_count = 2;
    EXPECT_EQ(visible(display(station)), visible("Configuration:\n"
                                          "Station Call\t  K0AB\tSSID 0x0f\n"
                                          "Base Lat -38.500000\tLon   174.75000\n"
                                          "Host baud\t115200\n"
                                          "GPS  baud\t4800\n"
                                          "TNC  baud\t110\n"
                                          "WIDE Max 1\tWIDE Total 2\n"
                                          "Dupe Window 500 sec.\tBeacon 65535 sec.\n"
                                          "NSR: Enabled\tRelay Drop: Enabled\n"
                                          "Digi Path[2]: AAAAAAA1,BBBBBBB2\n"
                                          "Beacon Comment: Hello, world\n"
                                          "Log Port: No\tHave GPS: Yes\n"
                                          "Fix Valid: No\tPass packets without valid position: Yes\n"
                                          "Halt On Error: Yes\tDrop Mangled Packet: No\n"
                                          "Rule count 50\tImplicit Rule Action: Drop\n"));
}

TEST(ShowConfig, ShowsAnUnknownImplicitActionAsQuestionMark) {
    Station station;
    station.config.implicit_action = 0;
    EXPECT_NE(display(station).find("Implicit Rule Action: ?\n"), std::string::npos);
    station.config.implicit_action = 'P';
    EXPECT_NE(display(station).find("Implicit Rule Action: ?\n"), std::string::npos);
}

// Fields filled from elsewhere without terminators never make the display
// read beyond them.
TEST(ShowConfig, StaysInsideUnterminatedFields) {
    Station station;
    std::memset(station.config.call_sign, 'C', sizeof station.config.call_sign);
    std::memset(station.config.beacon_comment, 'B', sizeof station.config.beacon_comment);
    station.digi_path_count = 1000;
    const std::string text = display(station);
    EXPECT_NE(text.find("Station Call\tCCCCCCCC\tSSID"), std::string::npos);
    EXPECT_NE(text.find("Beacon Comment: " + std::string(44, 'B') + "\n"), std::string::npos);
    EXPECT_NE(text.find("Digi Path[1000]: ,,,,,,,\n"), std::string::npos);
    station.digi_path_count = 0;
}

}  // namespace
