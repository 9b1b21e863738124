#include "korrimap/geojson_check.hpp"

#include <map>
#include <set>

namespace {

using nlohmann::json;

struct Checker {
    std::vector<std::string> problems;
    std::string where;

    void fail(const std::string& what) { problems.push_back(where + ": " + what); }

    bool position(const json& p) {
        if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number()) {
            fail("a position is not [lon, lat]");
            return false;
        }
        if (p[0] < -180 || p[0] > 180 || p[1] < -90 || p[1] > 90) fail("position out of range: " + p.dump());
        return true;
    }

    void ring(const json& r, bool exterior) {
        if (!r.is_array() || r.size() < 4) return fail("a ring has fewer than 4 positions");
        double area2 = 0;
        for (std::size_t i = 0; i < r.size(); ++i) {
            if (!position(r[i])) return;
            if (i + 1 < r.size())
                area2 += r[i][0].get<double>() * r[i + 1][1].get<double>() -
                         r[i + 1][0].get<double>() * r[i][1].get<double>();
        }
        if (r.front() != r.back()) fail("a ring is not closed");
        if (exterior && !(area2 > 0)) fail("an exterior ring is not counter-clockwise");
        if (!exterior && !(area2 < 0)) fail("a hole is not clockwise");
    }

    void polygon(const json& rings) {
        if (!rings.is_array() || rings.empty()) return fail("a polygon has no rings");
        for (std::size_t i = 0; i < rings.size(); ++i) ring(rings[i], i == 0);
    }

    void geometry(const json& g) {
        const json& c = g.value("coordinates", json());
        const std::string type = g.value("type", "");
        if (type == "Point") {
            position(c);
        } else if (type == "LineString") {
            if (!c.is_array() || c.size() < 2) return fail("a line has fewer than 2 positions");
            for (const json& p : c) position(p);
        } else if (type == "Polygon") {
            polygon(c);
        } else if (type == "MultiPolygon" && c.is_array() && !c.empty()) {
            for (const json& p : c) polygon(p);
        } else {
            fail("unexpected geometry " + g.dump().substr(0, 80));
        }
    }

    void properties(const json& p) {
        static const std::map<std::string, std::vector<std::string>> values = {
            {"station", {"call", "lat", "lon", "implicit_action"}},
            {"circle", {"radius_mi", "lat", "lon"}},
            {"compass", {"direction", "lat", "lon"}},
            {"rectangle", {"lat1", "lon1", "lat2", "lon2"}},
            {"sector", {"angle1", "angle2", "inner_range", "outer_range"}},
        };
        const auto kind = values.find(p.value("kind", ""));
        if (kind == values.end()) return fail("no known kind");
        for (const std::string& name : kind->second)
            if (!p.contains(name)) fail("no " + name);
        if (kind->first == "station") return;
        if (!p.value("line", json()).is_number_integer() || p["line"] < 1) fail("no line");
        const std::set<std::string> actions = {"pass", "drop"};
        if (!actions.count(p.value("action", ""))) fail("no action");
    }
};

// Crossings of a ray from the point towards the east.
bool in_ring(const json& ring, double lon, double lat) {
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const double xi = ring[i][0], yi = ring[i][1], xj = ring[j][0], yj = ring[j][1];
        if ((yi > lat) != (yj > lat) && lon < xi + (lat - yi) * (xj - xi) / (yj - yi)) in = !in;
    }
    return in;
}

bool in_polygon(const json& rings, double lon, double lat) {
    if (!in_ring(rings[0], lon, lat)) return false;
    for (std::size_t i = 1; i < rings.size(); ++i)
        if (in_ring(rings[i], lon, lat)) return false;
    return true;
}

}  // namespace

std::vector<std::string> geojson_problems(const std::string& text) {
    Checker check{{}, "collection"};
    const json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded()) return {"not JSON"};
    if (doc.value("type", "") != "FeatureCollection" || !doc.value("features", json()).is_array())
        return {"not a FeatureCollection"};
    if (doc.contains("crs")) check.fail("has a crs member");
    for (const json& f : doc["features"]) {
        check.where = f.dump().substr(0, 60);
        if (f.value("type", "") != "Feature") check.fail("not a Feature");
        if (f.contains("crs")) check.fail("has a crs member");
        if (!f.value("properties", json()).is_object())
            check.fail("no properties");
        else
            check.properties(f["properties"]);
        check.geometry(f.value("geometry", json()));
    }
    return check.problems;
}

bool covers(const json& geometry, double lon, double lat) {
    if (geometry["type"] == "Polygon") return in_polygon(geometry["coordinates"], lon, lat);
    for (const json& polygon : geometry["coordinates"])
        if (in_polygon(polygon, lon, lat)) return true;
    return false;
}

std::vector<std::pair<double, double>> positions_of(const json& geometry) {
    std::vector<std::pair<double, double>> out;
    const json polygons =
        geometry["type"] == "Polygon" ? json::array({geometry["coordinates"]}) : geometry["coordinates"];
    for (const json& polygon : polygons)
        for (const json& ring : polygon)
            for (const json& p : ring) out.emplace_back(p[0].get<double>(), p[1].get<double>());
    return out;
}
