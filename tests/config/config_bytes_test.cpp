// The bytes a Configuration file leaves in the 166-byte image.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conf_run.hpp"

namespace {

const unsigned char* image() { return reinterpret_cast<const unsigned char*>(&config); }

std::string bytes(std::size_t offset, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(image()) + offset, count);
}

// The parser writes the call sign and one NUL; the bytes after it keep what
// stood there.
TEST(ConfigBytes, CallSignTail) {
    reset_config_state();
    ASSERT_EQ(conf_run("call k0ab\n").code, 0);
    EXPECT_EQ(bytes(20, 8), std::string("K0AB\0T\0\0", 8));
    ASSERT_EQ(conf_run("call w1abcd\ncall n0x\n").code, 0);
    EXPECT_EQ(bytes(20, 8), std::string("N0X\0CD\0\0", 8));
    EXPECT_EQ(bytes(28, 2), std::string("\0\0", 2));  // ssid untouched
}

// Eight elements of eight characters fill bytes 58 to 121 without a NUL and
// leave byte 122, the first of the beacon comment, alone.
TEST(ConfigBytes, FullDigiPathStaysInItsArea) {
    reset_config_state();
    ASSERT_EQ(conf_run("bcomment Zulu\n"
                       "digipath aaaaaaa1,bbbbbbb2,ccccccc3,ddddddd4,eeeeeee5,fffffff6,ggggggg7,hhhhhhh8\n")
                  .code,
              0);
    EXPECT_EQ(bytes(58, 64), "AAAAAAA1BBBBBBB2CCCCCCC3DDDDDDD4EEEEEEE5FFFFFFF6GGGGGGG7HHHHHHH8");
    EXPECT_EQ(image()[122], 'Z');
    EXPECT_EQ(bytes(122, 5), std::string("Zulu\0", 5));
    EXPECT_EQ(digi_path_count, 8);
    EXPECT_EQ(bytes(56, 2), std::string("\0\0", 2));  // rule_count before the path
}

TEST(ConfigBytes, ShortElementsAreFollowedByNuls) {
    reset_config_state();
    std::memset(config.digi_path, 0x77, sizeof config.digi_path);
    ASSERT_EQ(conf_run("digipath wide1-1,wide2-2\n").code, 0);
    EXPECT_EQ(bytes(58, 16), std::string("WIDE1-1\0WIDE2-2\0", 16));
    EXPECT_EQ(bytes(74, 48), std::string(48, '\0'));
}

// A reload keeps rule_count and a Drop implicit action, byte for byte, and
// puts every other byte back to the default.
TEST(ConfigBytes, ReloadKeepsTheRuleFields) {
    reset_config_state();
    ASSERT_EQ(conf_run("call n0call\nhost 9600\ndigipath wide1-1\nbcomment first\n").code, 0);
    config.rule_count = 0x0123;
    config.implicit_action = 0x64;
    ASSERT_EQ(conf_run("ssid 2\n").code, 0);
    EXPECT_EQ(bytes(54, 4), std::string("\x64\x00\x23\x01", 4));
    ConfigRecord expected = default_config;
    expected.ssid = 2;
    expected.rule_count = 0x0123;
    expected.implicit_action = 0x64;
    EXPECT_EQ(std::memcmp(&config, &expected, sizeof config), 0);
}

TEST(ConfigBytes, NumbersLieLittleEndian) {
    reset_config_state();
    ASSERT_EQ(conf_run("host 115200\nbeacon 0xABCD\nposition 45:22:33 -103:00:00\n").code, 0);
    EXPECT_EQ(bytes(0, 4), std::string("\x00\xC2\x01\x00", 4));  // 115200 = 0x0001C200
    EXPECT_EQ(bytes(42, 2), std::string("\xCD\xAB", 2));
    EXPECT_EQ(bytes(16, 4), std::string("\x00\x00\xCE\xC2", 4));  // -103.0f = 0xC2CE0000
    EXPECT_EQ(sizeof config, 166u);
}

}  // namespace
