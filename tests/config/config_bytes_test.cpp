// The bytes a Configuration file leaves in the 166-byte image.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conf_run.hpp"

namespace {

const unsigned char* image(const Station& station) { return reinterpret_cast<const unsigned char*>(&station.config); }

std::string bytes(const Station& station, std::size_t offset, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(image(station)) + offset, count);
}

// The parser writes the call sign and one NUL; the bytes after it keep what
// stood there.
TEST(ConfigBytes, CallSignTail) {
    Station station;
    ASSERT_EQ(conf_run(station, "call k0ab\n").code, 0);
    EXPECT_EQ(bytes(station, 20, 8), std::string("K0AB\0T\0\0", 8));
    ASSERT_EQ(conf_run(station, "call w1abcd\ncall n0x\n").code, 0);
    EXPECT_EQ(bytes(station, 20, 8), std::string("N0X\0CD\0\0", 8));
    EXPECT_EQ(bytes(station, 28, 2), std::string("\0\0", 2));  // ssid untouched
}

// Eight elements of eight characters fill bytes 58 to 121 without a NUL and
// leave byte 122, the first of the beacon comment, alone.
TEST(ConfigBytes, FullDigiPathStaysInItsArea) {
    Station station;
    ASSERT_EQ(conf_run(station, "bcomment Zulu\n"
                       "digipath aaaaaaa1,bbbbbbb2,ccccccc3,ddddddd4,eeeeeee5,fffffff6,ggggggg7,hhhhhhh8\n")
                  .code,
              0);
    EXPECT_EQ(bytes(station, 58, 64), "AAAAAAA1BBBBBBB2CCCCCCC3DDDDDDD4EEEEEEE5FFFFFFF6GGGGGGG7HHHHHHH8");
    EXPECT_EQ(image(station)[122], 'Z');
    EXPECT_EQ(bytes(station, 122, 5), std::string("Zulu\0", 5));
    EXPECT_EQ(station.digi_path_count, 8);
    EXPECT_EQ(bytes(station, 56, 2), std::string("\0\0", 2));  // rule_count before the path
}

TEST(ConfigBytes, ShortElementsAreFollowedByNuls) {
    Station station;
    std::memset(station.config.digi_path, 0x77, sizeof station.config.digi_path);
    ASSERT_EQ(conf_run(station, "digipath wide1-1,wide2-2\n").code, 0);
    EXPECT_EQ(bytes(station, 58, 16), std::string("WIDE1-1\0WIDE2-2\0", 16));
    EXPECT_EQ(bytes(station, 74, 48), std::string(48, '\0'));
}

// A reload keeps rule_count and a Drop implicit action, byte for byte, and
// puts every other byte back to the default.
TEST(ConfigBytes, ReloadKeepsTheRuleFields) {
    Station station;
    ASSERT_EQ(conf_run(station, "call n0call\nhost 9600\ndigipath wide1-1\nbcomment first\n").code, 0);
    station.config.rule_count = 0x0123;
    station.config.implicit_action = 0x64;
    ASSERT_EQ(conf_run(station, "ssid 2\n").code, 0);
    EXPECT_EQ(bytes(station, 54, 4), std::string("\x64\x00\x23\x01", 4));
    ConfigRecord expected = default_config;
    expected.ssid = 2;
    expected.rule_count = 0x0123;
    expected.implicit_action = 0x64;
    EXPECT_EQ(std::memcmp(&station.config, &expected, sizeof station.config), 0);
}

TEST(ConfigBytes, NumbersLieLittleEndian) {
    Station station;
    ASSERT_EQ(conf_run(station, "host 115200\nbeacon 0xABCD\nposition 45:22:33 -103:00:00\n").code, 0);
    EXPECT_EQ(bytes(station, 0, 4), std::string("\x00\xC2\x01\x00", 4));  // 115200 = 0x0001C200
    EXPECT_EQ(bytes(station, 42, 2), std::string("\xCD\xAB", 2));
    EXPECT_EQ(bytes(station, 16, 4), std::string("\x00\x00\xCE\xC2", 4));  // -103.0f = 0xC2CE0000
    EXPECT_EQ(sizeof station.config, 166u);
}

}  // namespace
