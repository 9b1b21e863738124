// The example Configuration file that ships with the utility.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "angles/angles.hpp"
#include "conf_run.hpp"
#include "config/config_keywords.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

const std::string EXAMPLE = std::string(KORRI_SOURCE_DIR) + "/examples/station.cfg";

std::vector<std::string> example_lines() {
    std::ifstream in(EXAMPLE);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(StationExample, LoadsWithoutError) {
    Station station;
    StringSink out;
    EXPECT_EQ(conf_process(station, EXAMPLE.c_str(), out), 0);
    EXPECT_EQ(out.text(), "Configuration items processed 22\n");
    EXPECT_STREQ(station.config.call_sign, "N0CALL");
    EXPECT_EQ(station.config.have_gps, 1);
    EXPECT_EQ(station.digi_path_count, 2);
}

// Every keyword is used, written in full.
TEST(StationExample, UsesEveryKeyword) {
    std::set<std::string> used;
    for (const std::string& line : example_lines()) {
        std::istringstream words(line);
        std::string first;
        if (words >> first) used.insert(first);
    }
    for (const ConfigKeyword& k : config_keywords) EXPECT_TRUE(used.count(k.word)) << k.word;
}

// The three position lines name the same place in Colon, Dotted and DMC.
TEST(StationExample, WritesThePositionInEachNotation) {
    std::vector<std::pair<double, double>> places;
    for (const std::string& line : example_lines()) {
        std::istringstream words(line);
        std::string keyword, lat, lon;
        words >> keyword >> lat >> lon;
        if (keyword != "position" && keyword != "base") continue;
        StringSink out;
        places.emplace_back(dmctodeg(lat.c_str(), out), dmctodeg(lon.c_str(), out));
    }
    ASSERT_EQ(places.size(), 3u);
    for (const auto& [lat, lon] : places) {
        EXPECT_NEAR(lat, 39.396, 1e-6);
        EXPECT_NEAR(lon, -104.850667, 1e-6);
    }
}

TEST(StationExample, ConfigureThenDconfigure) {
    ProgramOptions options;
    options.cwd = KORRI_SOURCE_DIR;
    const ProgramResult r = run_korrimatic("configure examples/station.cfg\ndconfigure\nexit\n", options);
    EXPECT_EQ(visible(r.out), visible(startup_text() +
                                      "Configuration items processed 22\n"
                                      "Command> Configuration:\n"
                                      "Station Call\tN0CALL\tSSID 0x0a\n"
                                      "Base Lat  39.396000\tLon  -104.85067\n"
                                      "Host baud\t57600\n"
                                      "GPS  baud\t4800\n"
                                      "TNC  baud\t9600\n"
                                      "WIDE Max 2\tWIDE Total 4\n"
                                      "Dupe Window 30 sec.\tBeacon 1800 sec.\n"
                                      "NSR: Disabled\tRelay Drop: Enabled\n"
                                      "Digi Path[2]: WIDE1-1,WIDE2-1\n"
                                      "Beacon Comment: Hilltop fill-in digi, 12V solar\n"
                                      "Log Port: Yes\tHave GPS: Yes\n"
                                      "Fix Valid: Yes\tPass packets without valid position: Yes\n"
                                      "Halt On Error: No\tDrop Mangled Packet: Yes\n"
                                      "Rule count 0\tImplicit Rule Action: Pass\n"
                                      "Command> "));
    EXPECT_EQ(r.exit_status, 0);

    // The README's walkthrough shows this very output, with the typed lines.
    std::ifstream readme(std::string(KORRI_SOURCE_DIR) + "/README.md");
    std::stringstream text;
    text << readme.rdbuf();
    const std::string head = "Command> configure examples/station.cfg\n";
    const std::size_t start = text.str().find(head);
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = text.str().find("```", start);
    std::string shown = r.out.substr(startup_text().size());
    shown.replace(shown.find("Command> "), 9, "Command> dconfigure\n");
    EXPECT_EQ(visible(text.str().substr(start, end - start)), visible(head + shown + "\n"));
}

}  // namespace
