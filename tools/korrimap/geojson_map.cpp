#include "korrimap/geojson_map.hpp"

#include <cmath>

namespace {

using json = nlohmann::ordered_json;

// Vertices to 1e-7 degrees, about a centimetre.
double rounded(double degrees) { return std::round(degrees * 1e7) / 1e7; }

json position(double lon, double lat) { return json::array({rounded(lon), rounded(lat)}); }

json point(float lat, float lon) {
    return {{"type", "Point"}, {"coordinates", json::array({single(lon), single(lat)})}};
}

json polygon_coordinates(const Polygon& polygon) {
    json rings = json::array();
    for (const Ring& ring : polygon) {
        json positions = json::array();
        for (const LonLat& p : ring) positions.push_back(position(p.lon, p.lat));
        rings.push_back(positions);
    }
    return rings;
}

json area_geometry(const Shape& shape) {
    if (shape.pieces.size() == 1) return {{"type", "Polygon"}, {"coordinates", polygon_coordinates(shape.pieces[0])}};
    json polygons = json::array();
    for (const Polygon& p : shape.pieces) polygons.push_back(polygon_coordinates(p));
    return {{"type", "MultiPolygon"}, {"coordinates", polygons}};
}

// A rectangle whose corners share a latitude or a longitude has no area: it
// is the line, or the point, between its corners.
json rectangle_geometry(const MapRule& rule) {
    const Box b = box_of(rule.record);
    if (b.south == b.north && b.west == b.east) return point(rule.record.lat1, rule.record.lon1);
    if (b.south == b.north || b.west == b.east)
        return {{"type", "LineString"}, {"coordinates", {position(b.west, b.south), position(b.east, b.north)}}};
    return area_geometry(rule.shape);
}

json rule_feature(const MapRule& rule, const StationMap& map) {
    const RuleRecord& r = rule.record;
    json properties = {{"line", static_cast<int>(r.line)}, {"action", action_name(r)}, {"kind", kind_name(r)}};
    json geometry;
    switch (r.kind) {
        case KIND_CIRCLE:
            properties.update({{"radius_mi", single(r.radius)}, {"lat", single(r.lat)}, {"lon", single(r.lon)}});
            geometry = area_geometry(rule.shape);
            break;
        case KIND_RECTANGLE:
            properties.update({{"lat1", single(r.lat1)},
                               {"lon1", single(r.lon1)},
                               {"lat2", single(r.lat2)},
                               {"lon2", single(r.lon2)}});
            geometry = rectangle_geometry(rule);
            break;
        case KIND_COMPASS:
            properties.update({{"direction", direction_name(r)}, {"lat", single(r.lat)}, {"lon", single(r.lon)}});
            geometry = point(r.lat, r.lon);
            break;
        default:  // a sector
            properties.update({{"angle1", single(r.angle1)},
                               {"angle2", single(r.angle2)},
                               {"inner_range", single(r.inner_range)},
                               {"outer_range", single(r.outer_range)},
                               {"point", "base station: the rule holds no point"}});
            geometry = point(map.lat, map.lon);
            break;
    }
    return {{"type", "Feature"}, {"geometry", geometry}, {"properties", properties}};
}

}  // namespace

nlohmann::ordered_json geojson_map(const StationMap& map) {
    json features = json::array();
    features.push_back({{"type", "Feature"},
                        {"geometry", point(map.lat, map.lon)},
                        {"properties",
                         {{"kind", "station"},
                          {"call", map.call},
                          {"lat", single(map.lat)},
                          {"lon", single(map.lon)},
                          {"implicit_action", map.implicit_drop ? "drop" : "pass"}}}});
    for (const MapRule& rule : map.rules) features.push_back(rule_feature(rule, map));
    return {{"type", "FeatureCollection"}, {"features", features}};
}

std::string geojson_text(const nlohmann::ordered_json& collection) {
    std::string out = "{\"type\": \"FeatureCollection\", \"features\": [\n";
    const auto& features = collection["features"];
    for (std::size_t i = 0; i < features.size(); ++i)
        out += features[i].dump() + (i + 1 < features.size() ? ",\n" : "\n");
    return out + "]}\n";
}
