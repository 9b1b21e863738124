// When a reply that is still arriving counts as complete.
#include "device/device_replies.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

bool complete(const std::string& text) {
    return power_on_complete(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(DeviceReplies, PowerOnTextIsCompleteWithAWholeVersion) {
    struct Row {
        const char* text;
        bool complete;
    } rows[] = {
        {"Korrimatic Version 2.5", true},
        {"Korrimatic\r\nVersion 2.10\r\n", true},
        {"Korrimatic Version 3\r\n", true},   // no minor number: the CR ends the version
        {"Korrimatic Version  +2.4", true},
        {"Korrimatic Version 2.", false},     // the minor number is still to come
        {"Korrimatic Version 2", false},      // more digits may follow
        {"Korrimatic Version ", false},
        {"Korrimatic Version x", false},
        {"Korrimatic Vers", false},
        {"Version 2.5 Korrimatic", false},    // the version must follow the identification
        {"APRS Version 2.5", false},
        {"", false},
    };
    for (const auto& r : rows) EXPECT_EQ(complete(r.text), r.complete) << r.text;
}

// The number as the connect check reads it: the minor number only when the
// '.' follows the major number directly.
TEST(DeviceReplies, VersionNumberAfterTheLabel) {
    struct Row {
        const char* text;
        int major;
        int minor;
    } rows[] = {
        {"2.5\r\n", 2, 5},         {"2.10", 2, 10},     {" +2.4", 2, 4},  {"3\r\nsee 1.7", 3, 0},
        {"2 .5", 2, 0},             {".5", 0, 5},        {"x", 0, 0},      {"2.x", 2, 0},
        {"99999999999.1", 2147483647, 1},
    };
    for (const auto& r : rows) {
        const DeviceVersion v = parse_device_version(r.text);
        EXPECT_EQ(v.major, r.major) << r.text;
        EXPECT_EQ(v.minor, r.minor) << r.text;
    }
}

TEST(DeviceReplies, FindText) {
    const std::string s = "ab\0Korrim> x";
    const auto* d = reinterpret_cast<const uint8_t*>(s.data());
    EXPECT_EQ(find_text(d, s.size(), "Korrim> "), -1);  // the literal stops at the NUL
    const std::string t("ab\0Korrim> x", 12);
    EXPECT_EQ(find_text(reinterpret_cast<const uint8_t*>(t.data()), t.size(), "Korrim> "), 3);
    EXPECT_EQ(find_text(reinterpret_cast<const uint8_t*>(t.data()), t.size(), "Korrim> ", 4), -1);
    EXPECT_EQ(find_text(reinterpret_cast<const uint8_t*>(t.data()), 5, "Korrim> "), -1);
}

TEST(DeviceReplies, SettleTimeIsFiftyMsOrTwentyCharacterTimes) {
    EXPECT_EQ(settle_ms_for(57600), 50u);
    EXPECT_EQ(settle_ms_for(4800), 50u);
    EXPECT_EQ(settle_ms_for(2400), 83u);
    EXPECT_EQ(settle_ms_for(110), 1818u);
}

TEST(DeviceReplies, UntilTextEndsOnceTheTextHasArrived) {
    ReadUntil u = until_text("Connected 9600", 9600);
    const std::string partial = "\r\nConnected 96", whole = "\r\nConnected 9600\r\n";
    EXPECT_FALSE(u.complete(reinterpret_cast<const uint8_t*>(partial.data()), partial.size()));
    EXPECT_TRUE(u.complete(reinterpret_cast<const uint8_t*>(whole.data()), whole.size()));
    EXPECT_EQ(u.settle_ms, 50u);
}

TEST(DeviceReplies, ConnectedMeansTheWholeRate) {
    struct Row {
        const char* text;
        long rate;
        bool ended;  // nothing more is coming
        bool found;
    } rows[] = {
        {"\r\nConnected 57600\r\nKorrim> ", 57600, false, true},
        {"Connected 57600", 57600, true, true},
        {"Connected 57600", 57600, false, false},  // a digit may still follow
        {"\r\nConnected 576009\r\n", 57600, true, false},
        {"\r\nConnected 9600.5\r\n", 9600, true, false},
        {"\r\nConnected 960000\r\n", 9600, true, false},
        {"Connected 9600,0", 9600, true, false},
        {"Connected 9600e2", 9600, true, false},
        {"Connected 96000 Connected 9600 baud", 9600, true, true},  // a later whole one counts
        {"Connected 19200", 9600, true, false},
        {"Connected  9600", 9600, true, false},
    };
    for (const auto& r : rows) {
        const std::string t = r.text;
        EXPECT_EQ(connected_reply(reinterpret_cast<const uint8_t*>(t.data()), t.size(), r.rate, r.ended), r.found)
            << r.text;
    }
}

}  // namespace
