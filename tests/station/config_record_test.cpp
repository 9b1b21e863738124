#include <gtest/gtest.h>

#include <cstring>

#include "station/config_record.hpp"
#include "station/station.hpp"

namespace {

TEST(ConfigRecord, DefaultsHoldTheDocumentedValues) {
    ConfigRecord config{};
    load_config_defaults(config);
    EXPECT_EQ(std::memcmp(&config, &default_config, sizeof config), 0);
    EXPECT_EQ(config.host_baud, 57600u);
    EXPECT_EQ(config.gps_baud, 9600u);
    EXPECT_EQ(config.tnc_baud, 19200u);
    EXPECT_GT(config.base_lat, 0.0f);   // northern hemisphere
    EXPECT_LT(config.base_lon, 0.0f);   // western hemisphere
    EXPECT_LE(config.base_lat, 90.0f);
    EXPECT_GE(config.base_lon, -180.0f);
    const char call[8] = {'N', 'O', 'T', 'S', 'E', 'T', 0, 0};
    EXPECT_EQ(std::memcmp(config.call_sign, call, 8), 0);
    EXPECT_EQ(config.ssid, 0);
    EXPECT_EQ(config.wide_max, 3);
    EXPECT_EQ(config.wide_total, 6);
    EXPECT_EQ(config.relay_drop, 0);
    EXPECT_EQ(config.nsr, 0);
    EXPECT_EQ(config.have_gps, 0);
    EXPECT_EQ(config.dupe_window, 28);
    EXPECT_EQ(config.beacon_interval, 600);
    EXPECT_EQ(config.log_port, 1);
    EXPECT_EQ(config.halt_on_error, 0);
    EXPECT_EQ(config.drop_mangled, 1);
    EXPECT_EQ(config.fix_valid, 1);
    EXPECT_EQ(config.pass_nonaprs, 0);
    EXPECT_EQ(config.implicit_action, 0x70);
    EXPECT_EQ(config.rule_count, 0);
    for (unsigned char b : std::string(reinterpret_cast<const char*>(config.digi_path), 64)) EXPECT_EQ(b, 0);
    for (unsigned char b : std::string(config.beacon_comment, 44)) EXPECT_EQ(b, 0);
}

TEST(ConfigRecord, BytesLieLittleEndianAtTheirOffsets) {
    ConfigRecord config{};
    load_config_defaults(config);
    const auto* b = reinterpret_cast<const unsigned char*>(&config);
    // host_baud 57600 = 0x0000E100, gps_baud 9600 = 0x2580, tnc_baud 19200 = 0x4B00
    const unsigned char head[12] = {0x00, 0xE1, 0x00, 0x00, 0x80, 0x25, 0x00, 0x00, 0x00, 0x4B, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(b, head, 12), 0);
    EXPECT_EQ(std::memcmp(b + 20, "NOTSET\0\0", 8), 0);
    EXPECT_EQ(b[30], 3);    // wide_max
    EXPECT_EQ(b[32], 6);    // wide_total
    EXPECT_EQ(b[40], 28);   // dupe_window
    EXPECT_EQ(b[42], 0x58); // beacon_interval 600 = 0x0258
    EXPECT_EQ(b[43], 0x02);
    EXPECT_EQ(b[44], 1);    // log_port
    EXPECT_EQ(b[54], 0x70); // implicit_action
    EXPECT_EQ(b[55], 0x00);
    config.rule_count = 0x0132;
    EXPECT_EQ(b[56], 0x32);
    EXPECT_EQ(b[57], 0x01);
}

TEST(ConfigRecord, LoadingDefaultsOverwritesTheWholeRecord) {
    Station station;
    std::memset(&station.config, 0xA5, sizeof station.config);
    station.digi_path_count = 3;
    load_config_defaults(station.config);
    EXPECT_EQ(std::memcmp(&station.config, &default_config, sizeof station.config), 0);
    EXPECT_EQ(station.digi_path_count, 3);  // not part of the record
}

}  // namespace
