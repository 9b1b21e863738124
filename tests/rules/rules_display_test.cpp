// The rules display, from records put straight into the table.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <limits>
#include <string>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_display.hpp"
#include "rules/rules_files.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

const std::string HEAD = "\nAction Command   Mods Arguments\n";

std::string display(const Station& station) {
    StringSink out;
    rules_display(station, out);
    return out.take();
}

// One record in slot 0, shown with the implicit rule Pass.
std::string row_of(const RuleRecord& record) {
    Station station;
    station.rule_table.slot[0] = record;
    station.config.rule_count = 1;
    const std::string out = display(station);
    const std::string before = "Rule count 1 plus Implicit\n" + HEAD + "Pass   Implicit \n";
    EXPECT_EQ(out.compare(0, before.size(), before), 0) << visible(out);
    return out.substr(before.size());
}

RuleRecord callsign_record(const char* callsign, int mods, int ssid, uint8_t kind = KIND_DESTINATION) {
    RuleRecord r{};
    std::memcpy(r.callsign, callsign, std::min<std::size_t>(std::strlen(callsign), 6));
    r.ssid = static_cast<uint8_t>(ssid);
    r.kind = kind;
    r.action_mods = static_cast<uint8_t>(mods | ACTION_PASS);
    return r;
}

TEST(RulesDisplay, WithoutRulesOnlyTheImplicitAction) {
    const struct {
        uint16_t implicit;
        const char* shown;
    } cases[] = {{0x70, "Pass"}, {0x64, "Drop"}, {0x41, "?"}, {0, "?"}};
    for (const auto& c : cases) {
        Station station;
        station.config.implicit_action = c.implicit;
        EXPECT_EQ(display(station), std::string("No Rules are configured!  Implicit Rule Action is ") + c.shown + "\n");
    }
}

TEST(RulesDisplay, CallSignForms) {
    const struct {
        RuleRecord record;
        std::string row;
    } cases[] = {
        {callsign_record("APRS", 0x00, 0), "Pass   destin    00   APRS     \n"},
        {callsign_record("N0", 0x10, 0), "Pass   destin    10   N0    *   \n"},
        {callsign_record("N0CALL", 0x10, 0), "Pass   destin    10   N0CALL*   \n"},
        {callsign_record("", 0x30, 0), "Pass   destin    30   *   \n"},
        {callsign_record("", 0x40, 5), "Pass   destin    40         -5   \n"},
        // Six characters fill the field: the SSID byte after them is not text.
        {callsign_record("N0CALL", 0x40, 15, KIND_SOURCE), "Pass   source    40   N0CALL-15   \n"},
        {callsign_record("N0CALL", 0x00, 9, KIND_SOURCE), "Pass   source    00   N0CALL   \n"},
    };
    for (const auto& c : cases) EXPECT_EQ(visible(row_of(c.record)), visible(c.row));
}

TEST(RulesDisplay, UnknownCodesShowAQuestionMarkOrError) {
    RuleRecord r = callsign_record("APRS", 0, 0);
    r.action_mods = 0x02;
    EXPECT_EQ(visible(row_of(r)), visible("?      destin    00   APRS     \n"));
    r.kind = 77;
    EXPECT_EQ(visible(row_of(r)), visible("?      ?         00      \n"));
    RuleRecord compass{};
    compass.kind = KIND_COMPASS;
    compass.action_mods = ACTION_DROP;
    compass.lat = -90.0f;
    compass.lon = -180.0f;
    EXPECT_EQ(visible(row_of(compass)), visible("Drop   compass   00   Error Dir, -90.000000 D Lat, -180.00000  D Lon \n"));
    compass.direction = 200;
    EXPECT_EQ(visible(row_of(compass)), visible("Drop   compass   00   Error Dir, -90.000000 D Lat, -180.00000  D Lon \n"));
}

TEST(RulesDisplay, HugeRadiiAndRangesAreShownInFull) {
    RuleRecord circle{};
    circle.kind = KIND_CIRCLE;
    circle.action_mods = ACTION_PASS;
    circle.radius = 1e9f;
    EXPECT_EQ(visible(row_of(circle)),
              visible("Pass   circle    00   1000000000.000 mi R, 0.000000   D Lat, 0.00000     D Lon \n"));
    circle.radius = FLT_MAX;
    EXPECT_EQ(visible(row_of(circle)),
              visible("Pass   circle    00   340282346638528859811704183484516925440.000 mi R, 0.000000   D Lat, "
                      "0.00000     D Lon \n"));
    RuleRecord sector{};
    sector.kind = KIND_SECTOR;
    sector.action_mods = ACTION_DROP;
    sector.angle2 = 360.0f;
    sector.inner_range = std::numeric_limits<float>::infinity();
    EXPECT_EQ(visible(row_of(sector)),
              visible("Drop   sector    00   0.000 D Ang1, 360.000 D Ang2, inf In R, 0.000 Out R\n"));
}

TEST(RulesDisplay, CommandNames) {
    const struct {
        int kind;
        const char* name;
    } cases[] = {{38, "implicit"}, {39, "destin"}, {40, "source"}, {41, "circle"}, {42, "compass"},
                 {43, "rectangle"}, {44, "sector"}, {37, "?"}, {45, "?"}, {0, "?"}};
    for (const auto& c : cases) EXPECT_STREQ(rule_command_name(c.kind), c.name) << c.kind;
}

}  // namespace
