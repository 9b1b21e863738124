// Every refusal of a rule line: its message, its code, and the line it names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/config_record.hpp"
#include "rules/rules_files.hpp"
#include "rules/rules_process.hpp"
#include "shell/shell_state.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

const std::string ANGLE_ERROR_TEXT = "340282346638528859811704183484516925440.000000";

struct LineError {
    std::string line;     // the rule line, the file's only line
    int code;
    std::string message;  // between the head and the tail
    bool angle_message;   // the angle parser reports the text first
};

void expect_refused(const std::vector<LineError>& cases) {
    for (const LineError& c : cases) {
        Station station;
        ParseOutcome r = parse_rules(station, c.line + "\n");
        const std::string expected = line_message(r.path, 1, c.message, c.line);
        EXPECT_EQ(r.rc, c.code) << c.line;
        if (c.angle_message) {
            // The angle parser's own message comes first, on a line of its own.
            ASSERT_GT(r.out.size(), expected.size()) << c.line;
            EXPECT_EQ(visible(r.out.substr(r.out.size() - expected.size())), visible(expected)) << c.line;
            EXPECT_EQ(r.out.compare(0, 2, "\a\a"), 0) << visible(r.out);
        } else {
            EXPECT_EQ(visible(r.out), visible(expected)) << c.line;
        }
        EXPECT_EQ(station.config.rule_count, 0) << c.line;
        EXPECT_EQ(station.rules_processed, 0) << c.line;
    }
}

TEST(RulesErrors, ActionAndCommandWords) {
    expect_refused({
        {"pa destin APRS", -3, "action pa invalid", false},
        {"pass#x destin APRS", -3, "action pass#x invalid", false},
        {"passe destin APRS", -3, "action passe invalid", false},
        {"pass", -71, "missing arguments", false},
        {"drop  ,\t ", -71, "missing arguments", false},
        {"pass ;x", -5, "missing command", false},
        {"pass #destin APRS", -5, "missing command", false},
        {"pass /", -5, "missing command", false},
        {"pass d APRS", -7, "Ambiguous command: d", false},
        {"pass s APRS", -7, "Ambiguous command: s", false},
        {"pass C 25, 39:30:00, -104:45:00", -7, "Ambiguous command: C", false},
        {"pass destination APRS", -7, "command destination invalid", false},
        {"pass bogus APRS", -7, "command bogus invalid", false},
        {"pass destin;x APRS", -7, "command destin;x invalid", false},
    });
}

TEST(RulesErrors, CallSignPatterns) {
    expect_refused({
        {"pass destin", -11, "missing Destination", false},
        {"pass destin #", -11, "missing Destination", false},
        {"pass destin ; APRS", -8, "missing Destination string", false},
        {"pass dst /APRS", -8, "missing Destination string", false},
        {"pass destin APRS-16", -9, "invalid SSID range [0..15]: 16", false},
        {"pass destin APRS--1", -9, "invalid SSID range [0..15]: -1", false},
        {"pass destin TOOLONG", -10, "Destination is too long: TOOLONG", false},
        {"pass destin N0CALLX*", -10, "Destination is too long: N0CALLX", false},
        {"pass destin N0CALLX-3", -10, "Destination is too long: N0CALLX", false},
        {"drop source", -13, "missing Source", false},
        {"drop source # N0CALL", -12, "missing Source string", false},
        {"drop src X-99", -9, "invalid SSID range [0..15]: 99", false},
        {"drop src TOOLONG-3", -11, "Source is too long: TOOLONG", false},
        {"drop src TOOLONG-30", -9, "invalid SSID range [0..15]: 30", false},
    });
}

TEST(RulesErrors, CircleArguments) {
    expect_refused({
        {"pass circle", -25, "missing Radius", false},
        {"pass circle ;25", -14, "missing Range", false},
        {"pass circle 0, 39:30:00, -104:45:00", -16, "invalid Circle Radius, must be > 0: 0.000000", false},
        {"pass circle -3, 39:30:00, -104:45:00", -16, "invalid Circle Radius, must be > 0: -3.000000", false},
        {"pass circle x5, 39:30:00, -104:45:00", -16, "invalid Circle Radius, must be > 0: 0.000000", false},
        {"pass circle inf, 39:30:00, -104:45:00", -16, "invalid Circle Radius, must be > 0: 0.000000", false},
        {"pass circle NAN, 39:30:00, -104:45:00", -16, "invalid Circle Radius, must be > 0: 0.000000", false},
        // checked as stored: too small for single precision is 0
        {"pass circle 1e-60, 39:30:00, -104:45:00", -16, "invalid Circle Radius, must be > 0: 0.000000", false},
        {"pass circle 25", -24, "missing Latitude", false},
        {"pass circle 25 # 39:30:00, -104:45:00", -17, "missing Latitude", false},
        {"pass circle 25, 91:00:00, -104:45:00", -19, "invalid Latitude range [-90..90]: 91.000000", false},
        {"pass circle 25, -90.30., -104:45:00", -19, "invalid Latitude range [-90..90]: -90.500000", false},
        {"pass circle 25 39:30:00 -104:45:00", -19, "invalid Latitude range [-90..90]: " + ANGLE_ERROR_TEXT, true},
        {"pass circle 25, 39:30:00", -23, "missing Longitude", false},
        {"pass circle 25, 39:30:00,#", -23, "missing Longitude", false},
        {"pass circle 25, 39:30:00,;-104:45:00", -20, "missing Longitude", false},
        {"pass circle 25, 39:30:00, -181:00:00", -22, "invalid Longitude range [-180..180]: -181.000000", false},
        {"pass circle 25, 39:30:00, 104.45", -22, "invalid Longitude range [-180..180]: " + ANGLE_ERROR_TEXT, true},
    });
}

TEST(RulesErrors, CompassArguments) {
    expect_refused({
        {"drop compass", -37, "missing Compass Direction", false},
        {"drop compass #NW", -26, "missing Direction", false},
        {"drop compass NNW, 39:30:00, -104:45:00", -27, "invalid compass Direction NNW", false},
        {"drop compass north, 39:30:00, -104:45:00", -27, "invalid compass Direction north", false},
        {"drop compass NW", -36, "missing Latitude", false},
        {"drop compass NW ;39:30:00", -29, "missing Latitude", false},
        {"drop compass NW, -90.5d, -104:45:00", -31, "invalid Latitude range [-90..90]: -90.500000", false},
        {"drop compass NW, 39:30:00", -35, "missing Longitude", false},
        {"drop compass NW, 39:30:00,/x", -32, "missing Longitude", false},
        {"drop compass NW, 39:30:00, 180.30.", -34, "invalid Longitude range [-180..180]: 180.500000", false},
    });
}

TEST(RulesErrors, RectangleArguments) {
    expect_refused({
        {"pass rectangle", -53, "missing Latitude1", false},
        {"pass rectangle #", -38, "missing Latitude1", false},
        {"pass rectangle 95d, -105d, 39d, -104d", -40, "invalid Latitude1 range [-90..90]: 95.000000", false},
        {"pass rectangle 40d", -52, "missing Longitude1", false},
        {"pass rectangle 40d,;", -41, "missing Longitude1", false},
        {"pass rectangle 40d, 185d, 39d, -104d", -43, "invalid Longitude1 range [-180..180]: 185.000000", false},
        {"pass rectangle 40d, -105d", -51, "missing Latitude2", false},
        {"pass rectangle 40d, -105d,#39d", -44, "missing Latitude2", false},
        {"pass rectangle 40d, -105d, S91d, -104d", -46, "invalid Latitude2 range [-90..90]: -91.000000", false},
        {"pass rectangle 40d, -105d, 39d", -50, "missing Longitude2", false},
        {"pass rectangle 40d, -105d, 39d,/", -50, "missing Longitude2", false},
        {"pass rectangle 40d, -105d, 39d,;-104d", -47, "missing Longitude2", false},
        {"pass rectangle 40d, -105d, 39d, W181d", -49, "invalid Longitude2 range [-180..180]: -181.000000", false},
    });
}

TEST(RulesErrors, SectorArguments) {
    expect_refused({
        {"drop sector", -69, "missing Angle1", false},
        {"drop sector ;10d", -54, "missing Angle1", false},
        {"drop sector -1d, 80d, 5", -57, "invalid Angle1, range [0..360]: -1.000000", false},
        {"drop sector 10d", -68, "missing Angle2", false},
        {"drop sector 10d,#80d", -58, "missing Angle2", false},
        {"drop sector 10d, 80x, 5", -60, "invalid Angle2, range [0..360]: " + ANGLE_ERROR_TEXT, true},
        {"drop sector 10:00:00, 80:00:00", -67, "missing Inner Range", false},
        {"drop sector 10:00:00, 80:00:00, # 5", -61, "missing Inner Range", false},
        {"drop sector 10:00:00, 80:00:00, .5", -62, "invalid or missing Inner Range", false},
        {"drop sector 10:00:00, 80:00:00, -1", -62, "invalid or missing Inner Range", false},
        {"drop sector 10:00:00, 80:00:00, 5 5", -66, "invalid Outer Range, must be > Inner Range: 5.000000", false},
        {"drop sector 10:00:00, 80:00:00, 5 4.5", -66, "invalid Outer Range, must be > Inner Range: 4.500000", false},
        {"drop sector 10:00:00, 80:00:00, 5 far", -66, "invalid Outer Range, must be > Inner Range: 0.000000", false},
        {"drop sector 10:00:00, 80:00:00, 5 5.0000001", -66,
         "invalid Outer Range, must be > Inner Range: 5.000000", false},  // equal once stored
    });
}

TEST(RulesErrors, LineNumbersCountBlankAndCommentLines) {
    struct Case {
        std::string text;
        int code;
        int line;
        std::string message;
        std::string line_text;
    };
    const Case cases[] = {
        {"# station rules\n"
         "\n"
         "pass destin APRS\n"
         "   \t \n"
         "; more\n"
         "/ and more\n"
         "drop source N0CALL-5\n"
         ",\n"
         "pass destin TOOLONG  # the faulty line\n"
         "pass destin NEVER\n",
         -10, 9, "Destination is too long: TOOLONG", "pass destin TOOLONG  # the faulty line"},
        // beyond what 16 bits count: the message still names the right line
        {std::string(70000, '\n') + "pass bogus APRS\n", -7, 70001, "command bogus invalid", "pass bogus APRS"},
        // a record cannot hold a line number above 65535
        {std::string(65535, '\n') + "pass destin APRS\n", -72, 65536,
         "line number above 65535 does not fit the rule record", "pass destin APRS"},
    };
    for (const Case& c : cases) {
        Station station;
        ParseOutcome r = parse_rules(station, c.text);
        EXPECT_EQ(r.rc, c.code) << c.line;
        EXPECT_EQ(visible(r.out), visible(line_message(r.path, c.line, c.message, c.line_text)));
    }
    // Up to line 65535 a rule is stored with its line; an implicit line
    // stores none and may stand further down.
    Station station;
    ParseOutcome r = parse_rules(station, std::string(65534, '\n') + "pass destin APRS\n\ndrop implicit\n");
    EXPECT_EQ(r.rc, 0) << visible(r.out);
    EXPECT_EQ(int(station.rule_table.slot[0].line), 65535);
    EXPECT_EQ(station.config.implicit_action, IMPLICIT_DROP);
}

TEST(RulesErrors, FileNameAndCommandMessages) {
    Station station;
    {
        StringSink capture;
        EXPECT_EQ(rules_process(station, nullptr, capture), -1);
        EXPECT_EQ(capture.text(), "rules_process: Error: param rfp is invalid\n");
    }
    TempRulesFile folder("");
    const std::string missing = folder.folder() + "/none.rul";
    {
        StringSink capture;
        EXPECT_EQ(rules_process(station, missing.c_str(), capture), -2);
        EXPECT_EQ(visible(capture.text()), visible("\a\aError: cannot open " + missing + "\n"));
    }
    {
        // A folder opens on some systems but is no Rules file.
        StringSink capture;
        EXPECT_EQ(rules_process(station, folder.folder().c_str(), capture), -2);
        EXPECT_EQ(visible(capture.text()), visible("\a\aError: cannot open " + folder.folder() + "\n"));
    }
}

}  // namespace
