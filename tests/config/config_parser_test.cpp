// The Configuration file parser: accepted values, every refusal with its
// message and code, and line numbering.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "conf_run.hpp"
#include "support/run_program.hpp"

namespace {

using Record = const ConfigRecord&;

struct Accepted {
    std::string line;
    std::function<long(Record)> field;
    long value;
};

long lat_micro(Record config) { return std::lround(static_cast<double>(config.base_lat) * 1e6); }
long lon_micro(Record config) { return std::lround(static_cast<double>(config.base_lon) * 1e6); }

TEST(ConfProcess, StoresEachKeywordsValue) {
    const Accepted cases[] = {
        {"ssid 0x0f", [](Record config) { return long{config.ssid}; }, 15},
        {"ssid 0X0A", [](Record config) { return long{config.ssid}; }, 10},
        {"ssid 017", [](Record config) { return long{config.ssid}; }, 15},  // octal
        {"ssid 08", [](Record config) { return long{config.ssid}; }, 0},    // octal stops at 8
        {"ssid x", [](Record config) { return long{config.ssid}; }, 0},
        {"S 12", [](Record config) { return long{config.ssid}; }, 12},
        {"ssid 7 more words", [](Record config) { return long{config.ssid}; }, 7},
        {"position 45:22:33 -103:00:00", lat_micro, 45375832},
        {"position 45:22:33 -103:00:00", lon_micro, -103000000},
        {"p 45.22.64,W103d", lat_micro, 45377335},
        {"p 45.22.64,W103d", lon_micro, -103000000},
        {"base\t-0d30m\t105d2m38cW", lat_micro, -500000},
        {"base\t-0d30m\t105d2m38cW", lon_micro, -105043892},
        // the Earth's limits themselves, in each notation
        {"base 90:00:00 -180:00:00", lat_micro, 90000000},
        {"base 90:00:00 -180:00:00", lon_micro, -180000000},
        {"base -90.00. 180.00.", lat_micro, -90000000},
        {"base -90.00. 180.00.", lon_micro, 180000000},
        {"base S90d E180d", lat_micro, -90000000},
        {"base S90d E180d", lon_micro, 180000000},
        {"havegps Enabled", [](Record config) { return long{config.have_gps}; }, 1},
        {"havegps true", [](Record config) { return long{config.have_gps}; }, 1},
        {"havegps 1", [](Record config) { return long{config.have_gps}; }, 1},
        {"havegps Y", [](Record config) { return long{config.have_gps}; }, 1},
        {"havegps pass", [](Record config) { return long{config.have_gps}; }, 0},
        {"log off", [](Record config) { return long{config.log_port}; }, 0},
        {"log pass", [](Record config) { return long{config.log_port}; }, 0},
        {"log no", [](Record config) { return long{config.log_port}; }, 0},
        {"dropmangld false", [](Record config) { return long{config.drop_mangled}; }, 0},
        {"dropmangld 0", [](Record config) { return long{config.drop_mangled}; }, 0},
        {"haltonerr enable", [](Record config) { return long{config.halt_on_error}; }, 1},
        {"fixvalid disable", [](Record config) { return long{config.fix_valid}; }, 0},
        {"nsr T", [](Record config) { return long{config.nsr}; }, 1},
        {"relaydrop yes", [](Record config) { return long{config.relay_drop}; }, 1},
        {"nonaprs pass", [](Record config) { return long{config.pass_nonaprs}; }, 1},
        {"nonaprs Pass", [](Record config) { return long{config.pass_nonaprs}; }, 1},
        {"nonaprs e", [](Record config) { return long{config.pass_nonaprs}; }, 1},
        {"nonaprs drop", [](Record config) { return long{config.pass_nonaprs}; }, 0},
        {"host 9600 # comment", [](Record config) { return long{config.host_baud}; }, 9600},
        {"host 110", [](Record config) { return long{config.host_baud}; }, 110},
        {"tnc 4800", [](Record config) { return long{config.tnc_baud}; }, 4800},
        {"gps 115200", [](Record config) { return long{config.gps_baud}; }, 115200},
        {"widem 2", [](Record config) { return long{config.wide_max}; }, 2},
        {"widemax 6", [](Record config) { return long{config.wide_max}; }, 6},
        {"widet 1", [](Record config) { return long{config.wide_total}; }, 1},
        {"dupewin 5", [](Record config) { return long{config.dupe_window}; }, 5},
        {"dupewin 500", [](Record config) { return long{config.dupe_window}; }, 500},
        {"dupewin 030", [](Record config) { return long{config.dupe_window}; }, 30},  // decimal, not octal
        {"beacon 0", [](Record config) { return long{config.beacon_interval}; }, 0},
        {"beacon 10", [](Record config) { return long{config.beacon_interval}; }, 10},
        {"beacon 65535", [](Record config) { return long{config.beacon_interval}; }, 65535},
        {"beacon 0x3c", [](Record config) { return long{config.beacon_interval}; }, 60},
        {",beacon,1800,", [](Record config) { return long{config.beacon_interval}; }, 1800},
    };
    for (const auto& c : cases) {
        Station station;
        const ConfRun r = conf_run(station, c.line + "\n");
        EXPECT_EQ(r.code, 0) << c.line;
        EXPECT_EQ(r.out, "Configuration items processed 1\n") << c.line;
        EXPECT_EQ(c.field(station.config), c.value) << c.line;
    }
}

TEST(ConfProcess, StoresTheCallSignUpperCased) {
    struct Row {
        const char* line;
        const char* stored;
    } rows[] = {{"CALL n0call\n", "N0CALL"}, {"c w1aW-x # the club\n", "W1AW-X"}, {"call az9z\n", "AZ9Z"}};
    for (const Row& r : rows) {
        Station station;
        EXPECT_EQ(conf_run(station, r.line).code, 0) << r.line;
        EXPECT_STREQ(station.config.call_sign, r.stored) << r.line;
    }
}

TEST(ConfProcess, StoresTheBeaconComment) {
    struct Case {
        std::string line;
        std::string stored;
    };
    const Case cases[] = {
        {"bcomment Hello, world; more", "Hello, world"},
        {"bcomment Test", "Test"},
        {"bcomment  two  spaces", " two  spaces"},  // blanks after the keyword's separator belong to the text
        {"bcomment,Test", "Test"},
        {"bcomment\t\tTabbed\tcut", "Tabbed"},
        {"bcomment Digi / 145.825", "Digi "},
        {"bcomment " + std::string(60, 'x'), std::string(43, 'x')},
    };
    for (const auto& c : cases) {
        Station station;
        std::memset(station.config.beacon_comment, 'Z', sizeof station.config.beacon_comment);
        EXPECT_EQ(conf_run(station, c.line + "\n").code, 0) << c.line;
        EXPECT_EQ(std::string(station.config.beacon_comment), c.stored) << c.line;
        for (std::size_t i = c.stored.size(); i < sizeof station.config.beacon_comment; ++i) {
            EXPECT_EQ(station.config.beacon_comment[i], '\0') << c.line << " byte " << i;
        }
    }
}

TEST(ConfProcess, StoresTheDigiPath) {
    struct Case {
        std::string line;
        int count;
        std::vector<std::string> slots;
    };
    const Case cases[] = {
        {"digipath WIDE1-1,wide2-2", 2, {"WIDE1-1", "WIDE2-2"}},
        {"digipath  relay, ,wide2-1  trace3-3 # comment", 3, {"RELAY", "WIDE2-1", "TRACE3-3"}},
        {"digipath a,b,c,d,e,f,g,h,i", 8, {"A", "B", "C", "D", "E", "F", "G", "H"}},
        {"digipath a,b,c,d,e,f,g,h,toolongxx", 8, {"A", "B", "C", "D", "E", "F", "G", "H"}},  // 9th ignored
        {"digipath WIDE1-1\ndigipath RELAY", 1, {"RELAY"}},
    };
    for (const auto& c : cases) {
        Station station;
        EXPECT_EQ(conf_run(station, c.line + "\n").code, 0) << c.line;
        EXPECT_EQ(station.digi_path_count, c.count) << c.line;
        for (std::size_t i = 0; i < 8; ++i) {
            const std::string want = i < c.slots.size() ? c.slots[i] : "";
            std::string slot(station.config.digi_path[i], 8);
            EXPECT_EQ(slot, want + std::string(8 - want.size(), '\0')) << c.line << " slot " << i;
        }
    }
}

struct Refused {
    std::string file;
    int code;
    std::string out;
};

TEST(ConfProcess, RefusesFaultyLinesWithTheirMessageAndCode) {
    const std::string E = "\a\aError: line ";
    const std::string dmc_needs = "\a\aError: DMC format must have at least one of [DdMmCc] identifiers\n"
                                  "\tor Dotted format: found illegal character: [s][D]DD.MM.[F*]\n";
    const Refused cases[] = {
        // keywords
        {"w 3\n", -7, E + "1: Ambiguous command: w: w 3\n"},
        {"wide 3\n", -7, E + "1: Ambiguous command: wide: wide 3\n"},
        {"b 10\n", -7, E + "1: Ambiguous command: b: b 10\n"},
        {"D yes\n", -7, E + "1: Ambiguous command: D: D yes\n"},
        {"callsign N0CALL\n", -7, E + "1: command callsign invalid: callsign N0CALL\n"},
        {"dropmangled yes\n", -7, E + "1: command dropmangled invalid: dropmangled yes\n"},
        {"call#N0CALL\n", -7, E + "1: command call#N0CALL invalid: call#N0CALL\n"},
        // call
        {"call\n", -11, E + "1: missing Call Sign argument: call\n"},
        {"call # N0CALL\n", -8, E + "1: missing Call Sign argument: call # N0CALL\n"},
        {"call ;N0CALL\n", -8, E + "1: missing Call Sign argument: call ;N0CALL\n"},
        {"call ABCDEFG\n", -11, E + "1: invalid Call Sign argument: too long: call ABCDEFG\n"},
        // ssid
        {"ssid\n", -11, E + "1: missing SSID argument: ssid\n"},
        {"ssid /15\n", -8, E + "1: missing SSID argument: ssid /15\n"},
        {"ssid 16\n", -11, E + "1: invalid SSID argument range [0..15]: 16: ssid 16\n"},
        {"ssid -1\n", -11, E + "1: invalid SSID argument range [0..15]: -1: ssid -1\n"},
        {"ssid 0x10\n", -11, E + "1: invalid SSID argument range [0..15]: 16: ssid 0x10\n"},
        // position and base
        {"position\n", -11, E + "1: missing Station Latitude argument: position\n"},
        {"position 45:30:00\n", -11, E + "1: missing Station Longitude argument: position 45:30:00\n"},
        {"position 45:30:00 # -103:00:00\n", -8,
         E + "1: missing Station Longitude argument: position 45:30:00 # -103:00:00\n"},
        {"base 45.5 -103:00:00\n", -11,
         "\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
         "\tor DMC format must have at least one of [DdMmCc] identifiers\n" +
             E + "1: invalid Station Latitude argument: 45.5: base 45.5 -103:00:00\n"},
        {"position # 45:30:00 -103:00:00\n", -11,  // the latitude has no comment test
         "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n" + E +
             "1: invalid Station Latitude argument: #: position # 45:30:00 -103:00:00\n"},
        {"position 45:30:00 103x\n", -11,
         dmc_needs + E + "1: invalid Station Longitude argument: 103x: position 45:30:00 103x\n"},
        {"position 45:30:00 400d\n", -11,
         "\a\aError: degrees 400.000000 are out of range [-360..360]\n" + E +
             "1: invalid Station Longitude argument: 400d: position 45:30:00 400d\n"},
        // positions off the Earth, just beyond its limits in each notation
        {"base 90:00:01 0:00:00\n", -12,
         E + "1: invalid Station Latitude range [-90..90]: 90.000278: base 90:00:01 0:00:00\n"},
        {"base -90.00.1 0:00:00\n", -12,
         E + "1: invalid Station Latitude range [-90..90]: -90.001667: base -90.00.1 0:00:00\n"},
        {"base 95d -104d\n", -12, E + "1: invalid Station Latitude range [-90..90]: 95.000000: base 95d -104d\n"},
        {"base 39d -180:00:01\n", -13,
         E + "1: invalid Station Longitude range [-180..180]: -180.000278: base 39d -180:00:01\n"},
        {"base 39d 180.00.1\n", -13,
         E + "1: invalid Station Longitude range [-180..180]: 180.001667: base 39d 180.00.1\n"},
        {"position 39d W194d\n", -13,
         E + "1: invalid Station Longitude range [-180..180]: -194.000000: position 39d W194d\n"},
        // yes/no
        {"havegps\n", -11, E + "1: missing y | n argument: havegps\n"},
        {"nonaprs ; yes\n", -8, E + "1: missing y | n argument: nonaprs ; yes\n"},
        {"relaydrop,\n", -11, E + "1: missing y | n argument: relaydrop,\n"},
        // baud rates
        {"host\n", -11, E + "1: missing Baud argument: host\n"},
        {"host # 9600\n", -8, E + "1: missing Baud argument: host # 9600\n"},
        {"tnc 128000\n", -11, E + "1: invalid Baud argument: 128000: tnc 128000\n"},
        {"gps -9600\n", -11, E + "1: invalid Baud argument: -9600: gps -9600\n"},
        {"host 0\n", -11, "get_baud: Error: invalid baud: 0\n" + E + "1: invalid Baud argument: 0: host 0\n"},
        {"gps 0x10\n", -11, "get_baud: Error: invalid baud: 0\n" + E + "1: invalid Baud argument: 0: gps 0x10\n"},
        {"host fast\n", -11, "get_baud: Error: invalid baud: 0\n" + E + "1: invalid Baud argument: 0: host fast\n"},
        // wide
        {"widemax\n", -11, E + "1: missing n argument: widemax\n"},
        {"widemax 0\n", -11, E + "1: invalid n argument range [1..6]: 0: widemax 0\n"},
        {"widetotal 7\n", -11, E + "1: invalid n argument range [1..6]: 7: widetotal 7\n"},
        // dupewin
        {"dupewin\n", -11, E + "1: missing seconds argument: dupewin\n"},
        {"dupewin 4\n", -11, E + "1: invalid seconds argument range [5..500]: 4: dupewin 4\n"},
        {"dupewin 501\n", -11, E + "1: invalid seconds argument range [5..500]: 501: dupewin 501\n"},
        // beacon
        {"beacon\n", -11, E + "1: missing seconds argument: beacon\n"},
        {"beacon 9\n", -11, E + "1: invalid seconds argument range [0, 10..65535]: 9: beacon 9\n"},
        {"beacon 65536\n", -11, E + "1: invalid seconds argument range [0, 10..65535]: 65536: beacon 65536\n"},
        {"beacon -10\n", -11, E + "1: invalid seconds argument range [0, 10..65535]: -10: beacon -10\n"},
        // digipath
        {"digipath\n", -11, E + "1: missing Digi Path argument: digipath\n"},
        {"digipath # WIDE1-1\n", -8, E + "1: missing Digi Path argument: digipath # WIDE1-1\n"},
        {"digipath WIDE1-1,TOOLONGXX,WIDE2-2\n", -11,
         E + "1: Digi Path[2]: TOOLONGXX exceeds length 8: digipath WIDE1-1,TOOLONGXX,WIDE2-2\n"},
        {"digipath wide1-1 toolongxx\n", -11,
         E + "1: Digi Path[2]: toolongxx exceeds length 8: digipath wide1-1 toolongxx\n"},
        // bcomment
        {"bcomment\n", -11, E + "1: missing Beacon Comment argument: bcomment\n"},
        {"bcomment # no comment\n", -8, E + "1: missing Beacon Comment argument: bcomment # no comment\n"},
    };
    for (const auto& c : cases) {
        Station station;
        const ConfRun r = conf_run(station, c.file);
        EXPECT_EQ(r.code, c.code) << c.file;
        EXPECT_EQ(visible(r.out), visible(c.out)) << c.file;
        EXPECT_EQ(station.config_processed, c.code == 0 ? 1 : 0) << c.file;
    }
}

// Line numbers count every read: blank lines, comment lines and the pieces
// of a line longer than 255 characters.
TEST(ConfProcess, NumbersEveryLine) {
    const Refused cases[] = {
        {"\n# comment\n; comment\n/ comment\ncall N0CALL\n   \n,,\nssid 99\n", -11,
         "\a\aError: line 8: invalid SSID argument range [0..15]: 99: ssid 99\n"},
        {"\t#call\ncall N0CALL\r\n\r\nssid 99\r\n", -11,
         "\a\aError: line 4: invalid SSID argument range [0..15]: 99: ssid 99\n"},
        // 300 characters: the 46 after the first 255 are a line of their own
        {"bcomment " + std::string(291, 'x') + "\n", -7,
         "\a\aError: line 2: command " + std::string(45, 'x') + " invalid: " + std::string(45, 'x') + "\n"},
        // 255 characters and a newline: the newline alone is the second line
        {"bcomment " + std::string(246, 'x') + "\nssid 16\n", -11,
         "\a\aError: line 3: invalid SSID argument range [0..15]: 16: ssid 16\n"},
        // more lines than a 16-bit count holds
        {std::string(70000, '\n') + "ssid 16\n", -11,
         "\a\aError: line 70001: invalid SSID argument range [0..15]: 16: ssid 16\n"},
    };
    for (const auto& c : cases) {
        Station station;
        const ConfRun r = conf_run(station, c.file);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(visible(r.out), visible(c.out));
    }
}

TEST(ConfProcess, CountsTheItemsOfAWholeFile) {
    Station station;
    const ConfRun r = conf_run(station,
        "# station\n"
        "call N0CALL\n"
        "\n"
        "ssid 3 ; ssid three\n"
        "position 45:22:33 -103:00:00\n"
        "; nothing here\n"
        "host 19200\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Configuration items processed 4\n");
    EXPECT_EQ(station.config_processed, 1);
}

TEST(ConfProcess, AnEmptyOrCommentOnlyFileKeepsTheDefaults) {
    for (const std::string file : {"", "\n\n", "# only\n; comments\n/ here\n\n", "   \t\n,\n"}) {
        Station station;
        station.config.ssid = 9;  // from an earlier file: reset to the default
        const ConfRun r = conf_run(station, file);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, "Configuration items processed 0\n");
        EXPECT_EQ(std::memcmp(&station.config, &default_config, sizeof station.config), 0);
        EXPECT_EQ(station.config_processed, 1);
    }
}

// A failure keeps what the lines before it set and leaves the flag as it was.
TEST(ConfProcess, AFailureKeepsEarlierLines) {
    for (int flag : {0, 1}) {
        Station station;
        station.config_processed = flag;
        const ConfRun r = conf_run(station, "# my station\ncall n0new\nssid 4\n\nwidemax 9\nhost 9600\n");
        EXPECT_EQ(r.code, -11);
        EXPECT_EQ(r.out, "\a\aError: line 5: invalid n argument range [1..6]: 9: widemax 9\n");
        EXPECT_STREQ(station.config.call_sign, "N0NEW");
        EXPECT_EQ(station.config.ssid, 4);
        EXPECT_EQ(station.config.wide_max, 3);
        EXPECT_EQ(station.config.host_baud, 57600u);  // never read
        EXPECT_EQ(station.config_processed, 0);  // a failed file is not in force
    }
}

TEST(ConfProcess, AFailedLongitudeKeepsTheLatitude) {
    Station station;
    EXPECT_EQ(conf_run(station, "position 10:30:00 -200x\n").code, -11);
    EXPECT_EQ(station.config.base_lat, 10.5f);
    EXPECT_EQ(station.config.base_lon, default_config.base_lon);
}

// After a faulty element the elements before it stay, and the count keeps
// its earlier value.
TEST(ConfProcess, AFaultyPathElementKeepsTheEarlierCount) {
    Station station;
    EXPECT_EQ(conf_run(station, "digipath a,b,c\ndigipath x,yyyyyyyyy\n").code, -11);
    EXPECT_EQ(station.digi_path_count, 3);
    EXPECT_EQ(std::string(station.config.digi_path[0], 2), std::string("X\0", 2));
    EXPECT_EQ(station.config.digi_path[1][0], '\0');
}

TEST(ConfProcess, EveryFileStartsFromTheDefaults) {
    Station station;
    ASSERT_EQ(conf_run(station, "call n0one\nssid 5\ndigipath wide1-1,wide2-1\nbcomment first\nhavegps y\n").code, 0);
    EXPECT_EQ(station.digi_path_count, 2);
    ASSERT_EQ(conf_run(station, "tnc 9600\n").code, 0);
    ConfigRecord expected = default_config;
    expected.tnc_baud = 9600;
    EXPECT_EQ(std::memcmp(&station.config, &expected, sizeof station.config), 0);
    EXPECT_EQ(station.digi_path_count, 0);  // the emptied path has no elements
}

TEST(ConfProcess, KeepsTheRuleFields) {
    struct Case {
        uint16_t action_before;
        uint16_t action_after;
    };
    for (const Case c : {Case{IMPLICIT_DROP, IMPLICIT_DROP}, Case{IMPLICIT_PASS, IMPLICIT_PASS},
                         Case{0, IMPLICIT_PASS}, Case{'x', IMPLICIT_PASS}}) {
        Station station;
        station.config.rule_count = 17;
        station.config.implicit_action = c.action_before;
        ASSERT_EQ(conf_run(station, "call n0call\n").code, 0);
        EXPECT_EQ(station.config.rule_count, 17);
        EXPECT_EQ(station.config.implicit_action, c.action_after);
        // also when the file fails
        station.config.implicit_action = c.action_before;
        ASSERT_EQ(conf_run(station, "nonsense\n").code, -7);
        EXPECT_EQ(station.config.rule_count, 17);
        EXPECT_EQ(station.config.implicit_action, c.action_after);
    }
}

// A file written with carriage returns before its newlines reads as the same
// file without them.
TEST(ConfProcess, ReadsLinesEndedByCarriageReturnAndNewline) {
    Station station;
    const ConfRun r = conf_run(station, "call n0call\r\nbcomment Test\r\ndigipath wide1-1,wide2-2\r\nposition 45:22:33 W103d\r\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_STREQ(station.config.call_sign, "N0CALL");
    EXPECT_STREQ(station.config.beacon_comment, "Test");
    EXPECT_EQ(std::string(station.config.digi_path[1], 8), std::string("WIDE2-2\0", 8));
    EXPECT_EQ(station.config.base_lon, -103.0f);
}

}  // namespace
