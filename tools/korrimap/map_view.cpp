#include "korrimap/map_view.hpp"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

double cos_deg(double degrees) { return std::cos(degrees * PI / 180); }

struct Bounds {
    double west = HUGE_VAL, east = -HUGE_VAL, south = HUGE_VAL, north = -HUGE_VAL;
    void add(double lon, double lat) {
        west = std::min(west, lon), east = std::max(east, lon);
        south = std::min(south, lat), north = std::max(north, lat);
    }
};

// An area's extent: where its boundary goes round a pole or it has none, all
// longitudes.
void add_shape(Bounds& b, const Shape& shape, const MapView& v) {
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const LonLat& p : shape.outline) lo = std::min(lo, p.lon), hi = std::max(hi, p.lon);
    if (shape.outline.empty() || hi - lo >= 359.999) {
        for (const Polygon& polygon : shape.pieces)
            for (const LonLat& p : polygon.front()) b.add(v.station_lon, p.lat);
        b.add(v.station_lon - 180, b.south);
        b.add(v.station_lon + 180, b.south);
        return;
    }
    const double shift = v.near((lo + hi) / 2) - (lo + hi) / 2;
    for (const LonLat& p : shape.outline) b.add(p.lon + shift, p.lat);
}

}  // namespace

double MapView::x(double lon) const { return left + (lon - west) * scale * cos_deg(parallel); }

double MapView::y(double lat) const { return top + (north - lat) * scale; }

double MapView::near(double lon) const { return station_lon + std::remainder(lon - station_lon, 360.0); }

std::vector<double> MapView::turns(double lon_min, double lon_max) const {
    std::vector<double> out;
    for (int k = -2; k <= 2; ++k)
        if (lon_max + 360 * k >= west && lon_min + 360 * k <= east) out.push_back(360.0 * k);
    return out;
}

MapView fit_view(const StationMap& map, double left, double top, double max_width, double max_height, double min_size) {
    MapView v{};
    v.station_lon = map.lon;
    Bounds b;
    b.add(map.lon, map.lat);
    for (const MapRule& rule : map.rules) {
        if (rule.record.kind == KIND_COMPASS) b.add(v.near(rule.record.lon), rule.record.lat);
        if (!rule.shape.pieces.empty()) add_shape(b, rule.shape, v);
    }
    const double lat_pad = std::max(0.08 * (b.north - b.south), 0.1);
    v.south = std::max(-90.0, b.south - lat_pad);
    v.north = std::min(90.0, b.north + lat_pad);
    v.parallel = std::clamp((v.south + v.north) / 2, -70.0, 70.0);
    const double c = cos_deg(v.parallel);
    const double lon_pad = std::max(0.08 * (b.east - b.west), 0.1 / c);
    const double mid = (b.west + b.east) / 2, half = std::min(180.0, (b.east - b.west) / 2 + lon_pad);
    v.west = mid - half;
    v.east = mid + half;

    v.scale = std::min(max_width / ((v.east - v.west) * c), max_height / (v.north - v.south));
    if ((v.east - v.west) * c * v.scale < min_size) {
        const double widened = std::min(180.0, min_size / (c * v.scale) / 2);
        v.west = mid - widened, v.east = mid + widened;
    }
    if ((v.north - v.south) * v.scale < min_size) {
        const double centre = (v.south + v.north) / 2, halfh = std::min(90.0, min_size / v.scale / 2);
        v.south = std::max(-90.0, centre - halfh), v.north = std::min(90.0, centre + halfh);
    }
    v.left = left, v.top = top;
    v.width = (v.east - v.west) * c * v.scale;
    v.height = (v.north - v.south) * v.scale;
    return v;
}
