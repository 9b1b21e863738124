// The records the parser writes, checked byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_files.hpp"
#include "shell/shell_state.hpp"
#include "support/run_program.hpp"

namespace {

// 28 bytes from a list of values.
std::string bytes(std::initializer_list<int> values) {
    std::string b;
    for (int v : values) b += static_cast<char>(v);
    return b;
}

// Parses one rule line that must be accepted, and returns its record's bytes.
std::string accepted_record(const std::string& line) {
    Station station;
    ParseOutcome r = parse_rules(station, line + "\n");
    EXPECT_EQ(r.rc, 0) << line << "\n" << visible(r.out);
    EXPECT_EQ(r.out, "Rules processed 1, implicit 0\n") << line;
    EXPECT_EQ(station.config.rule_count, 1) << line;
    return record_bytes(station, 0);
}

TEST(RuleRecords, CircleRadius25IsStoredAs0000C841) {
    // 25.0f = 0x41C80000, 39.5f = 0x421E0000, -104.75f = 0xC2D18000; kind 0x29, pass, line 1
    EXPECT_EQ(visible(accepted_record("pass circle 25, 39:30:00, -104:45:00")),
              visible(bytes({0x00, 0x00, 0xC8, 0x41, 0, 0, 0x00, 0x00, 0x1E, 0x42, 0, 0, 0x00, 0x80,
                             0xD1, 0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0x29, 0x08, 0x01, 0x00})));
}

TEST(RuleRecords, SixCharacterCallSignHasNoNulAndTheSsidFollows) {
    EXPECT_EQ(visible(accepted_record("drop source N0CALL-15")),
              visible(bytes({'N', '0', 'C', 'A', 'L', 'L', 15, 0, 0, 0, 0, 0, 0, 0,
                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x28, 0x44, 0x01, 0x00})));
}

TEST(RuleRecords, CompassNorthWest) {
    // direction 8 in byte 0, bytes 1 to 5 zero; lat 39.5, lon -104.75
    EXPECT_EQ(visible(accepted_record("DROP COMPASS nw, 39.30., -104.45.")),
              visible(bytes({0x08, 0, 0, 0, 0, 0, 0x00, 0x00, 0x1E, 0x42, 0, 0, 0x00, 0x80,
                             0xD1, 0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0x2A, 0x04, 0x01, 0x00})));
}

TEST(RuleRecords, RectangleCorners) {
    // 40 = 0x42200000, -105 = 0xC2D20000, 39 = 0x421C0000, -104 = 0xC2D00000
    EXPECT_EQ(visible(accepted_record("p r N40d, W105d\t39d 0m 0c,-104:00:00")),
              visible(bytes({0x00, 0x00, 0x20, 0x42, 0, 0, 0x00, 0x00, 0xD2, 0xC2, 0, 0, 0x00, 0x00,
                             0x1C, 0x42, 0, 0, 0x00, 0x00, 0xD0, 0xC2, 0, 0, 0x2B, 0x08, 0x01, 0x00})));
}

TEST(RuleRecords, SectorWithoutOuterRangeHasOuterRangeZero) {
    // 10 = 0x41200000, 80 = 0x42A00000, 0.5 = 0x3F000000, outer range 0
    const std::string expected = bytes({0x00, 0x00, 0x20, 0x41, 0, 0, 0x00, 0x00, 0xA0, 0x42, 0, 0, 0x00, 0x00,
                                        0x00, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x04, 0x01, 0x00});
    EXPECT_EQ(visible(accepted_record("drop sector 10:00:00, 80:00:00, 0.5")), visible(expected));
    EXPECT_EQ(visible(accepted_record("drop sector 10:00:00, 80:00:00, 0.5 ; 9")), visible(expected));
    // With an outer range of 20 = 0x41A00000
    std::string with_outer = expected;
    with_outer[20] = static_cast<char>(0xA0);
    with_outer[21] = 0x41;
    EXPECT_EQ(visible(accepted_record("drop sector 10:00:00, 80:00:00, 0.5, 20")), visible(with_outer));
}

TEST(RuleRecords, RangesIncludeTheirEnds) {
    RuleRecord r{};
    std::string b = accepted_record("pass rectangle -90d, -180d, 90d, 180d");
    std::memcpy(&r, b.data(), sizeof r);
    EXPECT_EQ(float(r.lat1), -90.0f);
    EXPECT_EQ(float(r.lon1), -180.0f);
    EXPECT_EQ(float(r.lat2), 90.0f);
    EXPECT_EQ(float(r.lon2), 180.0f);
    b = accepted_record("pass sector 0:00:00, 360:00:00, 0");
    std::memcpy(&r, b.data(), sizeof r);
    EXPECT_EQ(float(r.angle1), 0.0f);
    EXPECT_EQ(float(r.angle2), 360.0f);
    EXPECT_EQ(float(r.inner_range), 0.0f);
    b = accepted_record("pass sector 360d, 0d, 0");
    std::memcpy(&r, b.data(), sizeof r);
    EXPECT_EQ(float(r.angle1), 360.0f);
    EXPECT_EQ(float(r.angle2), 0.0f);
}

TEST(RuleRecords, NumbersBeyondSinglePrecisionAreStoredAsInfinity) {
    RuleRecord r{};
    std::string b = accepted_record("pass circle 1e39, 39:30:00, -104:45:00");
    EXPECT_EQ(visible(b.substr(0, 4)), visible(bytes({0x00, 0x00, 0x80, 0x7F})));
    b = accepted_record("pass sector 10d, 80d, 1e300");
    EXPECT_EQ(visible(b.substr(12, 4)), visible(bytes({0x00, 0x00, 0x80, 0x7F})));
    // The largest single-precision value itself is kept.
    b = accepted_record("pass circle 3.4028234663852886e38, 39:30:00, -104:45:00");
    EXPECT_EQ(visible(b.substr(0, 4)), visible(bytes({0xFF, 0xFF, 0x7F, 0x7F})));
    // A radius written with an exponent or a sign, and the text after the number, ignored.
    std::memcpy(&r, accepted_record("pass circle +2.5e1mi, 39:30:00, -104:45:00").data(), sizeof r);
    EXPECT_EQ(float(r.radius), 25.0f);
}

struct Pattern {
    const char* pattern;
    int mods;
    const char* callsign;  // its bytes, NUL-filled to 6
    int ssid;
};

TEST(RuleRecords, CallSignPatternForms) {
    const Pattern cases[] = {
        {"APRS", 0x00, "APRS", 0},
        {"aprs", 0x00, "aprs", 0},
        {"*", 0x30, "", 0},
        {"*ABC", 0x30, "", 0},
        {"*-5", 0x30, "", 0},
        {"N0*", 0x10, "N0", 0},
        {"N0CALL*", 0x10, "N0CALL", 0},
        {"AP*-3", 0x10, "AP", 0},
        {"APRS-0", 0x40, "APRS", 0},
        {"APRS-", 0x40, "APRS", 0},
        {"-5", 0x40, "", 5},
        {"N0CALL-15", 0x40, "N0CALL", 15},
        {"W1AW-7x", 0x40, "W1AW", 7},
    };
    for (const Pattern& c : cases) {
        for (const char* rule : {"pass destin ", "drop src "}) {
            const std::string b = accepted_record(rule + std::string(c.pattern) + "  # comment");
            std::string callsign(c.callsign);
            callsign.resize(6, '\0');
            EXPECT_EQ(visible(b.substr(0, 6)), visible(callsign)) << c.pattern;
            EXPECT_EQ(static_cast<unsigned char>(b[6]), c.ssid) << c.pattern;
            EXPECT_EQ(static_cast<unsigned char>(b[25]) & 0xF0, c.mods) << c.pattern;
            EXPECT_EQ(b.substr(7, 17), std::string(17, '\0')) << c.pattern;
        }
    }
}

struct Abbreviation {
    const char* line;
    int kind;    // 0: the implicit rule
    int action;
};

TEST(RuleRecords, CommandAndActionWords) {
    const Abbreviation cases[] = {
        {"pass de APRS", 39, 8},        {"pass ds APRS", 39, 8},       {"PASS DESTIN APRS", 39, 8},
        {"Pass dst APRS", 39, 8},       {"p so APRS", 40, 8},          {"d sr APRS", 40, 4},
        {"drop SOURCE APRS", 40, 4},    {"D ci 1, 0:0:0, 0:0:0", 41, 4}, {"drop co N, 0:0:0, 0:0:0", 42, 4},
        {"pass rect 1d, 1d, 1d, 1d", 43, 8}, {"pass se 1d, 2d, 3", 44, 8}, {"drop i", 0, 4},
        {",\tpass,,destin,APRS", 39, 8}, {"P IMPLICIT", 0, 8},
    };
    for (const Abbreviation& c : cases) {
        Station station;
        station.config.implicit_action = 0;  // the parser must set it in every case
        ParseOutcome r = parse_rules(station, std::string(c.line) + "\n");
        ASSERT_EQ(r.rc, 0) << c.line << "\n" << visible(r.out);
        if (c.kind == 0) {
            EXPECT_EQ(r.out, "Rules processed 0, implicit 1\n") << c.line;
            EXPECT_EQ(station.config.rule_count, 0);
            EXPECT_EQ(station.config.implicit_action, c.action == 4 ? 0x64 : 0x70) << c.line;
            EXPECT_EQ(record_bytes(station, 0), std::string(28, '\0')) << c.line;
        } else {
            EXPECT_EQ(station.config.rule_count, 1) << c.line;
            EXPECT_EQ(station.config.implicit_action, 0x70) << c.line;
            EXPECT_EQ(station.rule_table.slot[0].kind, c.kind) << c.line;
            EXPECT_EQ(station.rule_table.slot[0].action_mods & 0x0F, c.action) << c.line;
        }
        EXPECT_EQ(station.rules_processed, 1);
    }
}

TEST(RuleRecords, RecordsFollowTheirLinesAndKeepTheirLineNumbers) {
    Station station;
    ParseOutcome r = parse_rules(station, "# header\n\npass destin APRS\n; note\ndrop implicit\ndrop source *\n");
    ASSERT_EQ(r.rc, 0) << visible(r.out);
    EXPECT_EQ(r.out, "Rules processed 2, implicit 1\n");
    EXPECT_EQ(int(station.rule_table.slot[0].line), 3);
    EXPECT_EQ(int(station.rule_table.slot[1].line), 6);
    EXPECT_EQ(station.rule_table.slot[1].action_mods, 0x34);
    EXPECT_EQ(station.config.implicit_action, 0x64);
    for (int slot = 2; slot < MAX_RULES; ++slot) EXPECT_EQ(record_bytes(station, slot), std::string(28, '\0'));
}

}  // namespace
