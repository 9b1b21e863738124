// korrimap as the operator runs it: both files written from the example, the
// utility's own messages for a file in error.
#include <gtest/gtest.h>

#include <fstream>

#include "korrimap/geojson_check.hpp"
#include "korrimap/korrimap_run.hpp"
#include "support/files.hpp"
#include "support/scratch_dir.hpp"
#include "support/temp_file.hpp"

namespace {

TEST(KorrimapFiles, TheExampleGivesAValidGeoJsonAndAnSvg) {
    ScratchDir dir;
    const ProgramResult r = run_korrimap({example("station.cfg"), example("station.rul"), "-o", dir.path("map")});
    EXPECT_EQ(r.out, "Configuration items processed 22\nRules processed 16, implicit 1\nWrote " + dir.path("map") +
                         ".geojson (9 features) and " + dir.path("map") + ".svg\n");
    EXPECT_EQ(r.exit_status, 0);
    const std::string geojson = read_file(dir.path("map.geojson"));
    EXPECT_EQ(geojson_problems(geojson), std::vector<std::string>{});
    const nlohmann::json circle = nlohmann::json::parse(geojson)["features"][1]["properties"];
    EXPECT_EQ(circle, nlohmann::json::parse(R"({"line": 36, "action": "pass", "kind": "circle", "radius_mi": 50,
                                                "lat": 38.840557, "lon": -105.04389})"));
    const std::string svg = read_file(dir.path("map.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    for (const char* label : {"line 36", "line 38", "line 40 compass NE", "line 44", "line 46", "line 50 sector"})
        EXPECT_NE(svg.find(label), std::string::npos) << label;
}

TEST(KorrimapFiles, AFileInErrorGivesTheUtilitysMessagesAndStatus2) {
    TempFile bad_config("call n0call\nssid 16\n", "bad.cfg");
    TempFile bad_rules("pass implicit\n\npass circle 0, 39:30:00, -104:45:00\n", "bad.rul");
    ProgramResult r = run_korrimap({"--check", bad_config.path(), example("station.rul")});
    EXPECT_EQ(r.out, bad_config.path() + ":2: error: invalid SSID argument range [0..15]: 16: ssid 16\n");
    EXPECT_EQ(r.exit_status, 2);
    r = run_korrimap({example("station.cfg"), bad_rules.path(), "-o", bad_rules.path() + "-map"});
    EXPECT_EQ(r.out, "Configuration items processed 22\n\a\aError: " + bad_rules.path() +
                         "[3]: invalid Circle Radius, must be > 0: 0.000000:\npass circle 0, 39:30:00, -104:45:00\n"
                         "\a\aError: Rule processing failed\n");
    EXPECT_EQ(r.exit_status, 2);
    EXPECT_FALSE(std::ifstream(bad_rules.path() + "-map.geojson").good());
}

}  // namespace
