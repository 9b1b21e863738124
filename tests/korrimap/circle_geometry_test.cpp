// Geodesic circles in the GeoJSON file: valid RFC 7946 polygons whose
// vertices lie at the radius, holding what lies inside the circle and nothing
// outside it, near the poles and across the antimeridian too.
#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "korrimap/geojson_check.hpp"
#include "korrimap/geojson_map.hpp"

namespace {

struct CircleCase {
    double lat, lon, miles;
    const char* type;  // the GeoJSON geometry expected
};

const CircleCase CASES[] = {
    {0, -105, 1, "Polygon"},
    {0, -105, 10, "Polygon"},
    {0, -105, 100, "Polygon"},
    {0, -105, 500, "Polygon"},
    {60, -105, 1, "Polygon"},
    {60, -105, 10, "Polygon"},
    {60, -105, 100, "Polygon"},
    {60, -105, 500, "Polygon"},
    {85, -105, 1, "Polygon"},
    {85, -105, 10, "Polygon"},
    {85, -105, 100, "Polygon"},
    {85, -105, 500, "Polygon"},         // round the north pole
    {-17, 179.5, 150, "MultiPolygon"},  // across the antimeridian
    {60, 180, 100, "MultiPolygon"},
    {0, -179.9, 500, "MultiPolygon"},
    {-16.8, 179.96666, 120, "MultiPolygon"},  // crossing just before the ring closes
    {-89, 0, 200, "Polygon"},                 // round the south pole
    {10, 90, 8000, "Polygon"},                // round both poles: a hole around the antipode
    {0, 0, 7000, "Polygon"},                  // round both poles, the antipode on the antimeridian
    {40, -105, 13000, "Polygon"},             // the whole Earth
};

nlohmann::json circle_geometry(float lat, float lon, float miles) {
    RuleRecord r{};
    r.kind = KIND_CIRCLE;
    r.action_mods = ACTION_PASS;
    r.line = 1;
    r.radius = miles, r.lat = lat, r.lon = lon;
    const StationMap map{"t.cfg", "t.rul", "N0CALL", lat, lon, false, 0, 0, 0, {{r, circle_shape(lat, lon, miles)}}};
    const std::string text = geojson_text(geojson_map(map));
    const std::vector<std::string> problems = geojson_problems(text);
    for (const std::string& p : problems) ADD_FAILURE() << p;
    return nlohmann::json::parse(text)["features"][1]["geometry"];
}

TEST(CircleGeometry, VerticesAtTheRadiusAndTheRightSideInside) {
    for (const CircleCase& c : CASES) {
        const float lat = static_cast<float>(c.lat), lon = static_cast<float>(c.lon), r = static_cast<float>(c.miles);
        SCOPED_TRACE(testing::Message() << "circle of " << c.miles << " mi at " << c.lat << ", " << c.lon);
        const nlohmann::json g = circle_geometry(lat, lon, r);
        EXPECT_EQ(g["type"], c.type);

        const bool whole_earth = r >= distance_miles(lat, lon, -lat, std::remainder(lon + 180.0, 360.0));
        const auto positions = positions_of(g);
        EXPECT_GE(positions.size(), whole_earth ? 5u : 64u);
        for (const auto& [plon, plat] : positions) {
            if (std::abs(plat) == 90) continue;  // the edge of a cap along a pole's latitude
            EXPECT_NEAR(distance_miles(lat, lon, plat, plon), r, r * 0.001) << plon << ", " << plat;
        }

        // Off the centre's meridian, where a point may fall on the edge of a piece at the antimeridian.
        for (double az = 7.5; az < 360; az += 15) {
            for (double share : {0.95, 1.05}) {
                if (share > 1 && whole_earth) continue;
                double plat = 0, plon = 0;
                GeographicLib::Geodesic::WGS84().Direct(lat, lon, az, r * share * METERS_PER_MILE, plat, plon);
                EXPECT_EQ(covers(g, plon, plat), share < 1) << "azimuth " << az << ", " << share << " of the radius";
            }
        }
        EXPECT_EQ(covers(g, 45, 89.9999), r >= distance_miles(lat, lon, 90, 0));
        EXPECT_EQ(covers(g, -135, -89.9999), r >= distance_miles(lat, lon, -90, 0));
    }
}

// Both pieces of a circle across the antimeridian end on it at the same two
// crossings of the circle, the one piece's edge along it the other's.
TEST(CircleGeometry, PiecesMeetOnTheAntimeridian) {
    for (const CircleCase& c : CASES) {
        if (std::string(c.type) != "MultiPolygon") continue;
        SCOPED_TRACE(testing::Message() << "circle of " << c.miles << " mi at " << c.lat << ", " << c.lon);
        const nlohmann::json g =
            circle_geometry(static_cast<float>(c.lat), static_cast<float>(c.lon), static_cast<float>(c.miles));
        ASSERT_EQ(g["coordinates"].size(), 2u);
        std::set<double> crossings[2];
        for (int i = 0; i < 2; ++i)
            for (const nlohmann::json& p : g["coordinates"][i][0])
                if (std::abs(p[0].get<double>()) == 180) crossings[i].insert(p[1].get<double>());
        EXPECT_EQ(crossings[0].size(), 2u);
        EXPECT_EQ(crossings[0], crossings[1]);
    }
}

}  // namespace
