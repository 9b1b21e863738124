// A geodesic circle as GeoJSON polygons. The boundary is sampled at equal
// steps of azimuth, counter-clockwise on the map, and its longitudes are
// unwrapped into one continuous run. Where that run crosses the antimeridian
// the exact crossing is found on the circle itself, so that every vertex off
// the poles lies at the circle's distance from the centre. Then:
// - a circle around neither pole is one ring, or two pieces where it crosses;
// - a circle around one pole is a cap closed along the pole's latitude from
//   -180 to 180;
// - a circle around both poles is the Earth less the small area around the
//   antipode that it leaves out;
// - a radius that reaches the antipode covers the whole Earth.
#include <GeographicLib/Geodesic.hpp>

#include <algorithm>
#include <cmath>

#include "korrimap/geo_shapes.hpp"

namespace {

using GeographicLib::Geodesic;

// The whole Earth as a ring.
Ring world() { return {{-180, -90}, {180, -90}, {180, 90}, {-180, 90}, {-180, -90}}; }

// A boundary point: its azimuth from the centre, its unwrapped longitude x and
// its latitude.
struct Vertex {
    double az;
    double x;
    double lat;
};

double wrap180(double degrees) { return std::remainder(degrees, 360.0); }

class Circle {
public:
    Circle(double lat, double lon, double meters) : lat_(lat), lon_(lon), meters_(meters) {}

    // The boundary point at an azimuth, its longitude unwrapped to lie within
    // 180 degrees of `near`.
    Vertex at(double az, double near) const {
        double lat = 0, lon = 0;
        wgs84().Direct(lat_, lon_, az, meters_, lat, lon);
        return {az, near + wrap180(lon - near), lat};
    }

    // `samples` steps of decreasing azimuth, so counter-clockwise around the
    // centre on the map; the last vertex is the first one again, its
    // longitude 360 degrees on when the boundary goes round a pole.
    std::vector<Vertex> sample(int samples, double start_near) const {
        std::vector<Vertex> v;
        v.push_back(at(0, start_near));
        for (int i = 1; i <= samples; ++i) extend(v, -360.0 * i / samples, 0);
        return v;
    }

    // Adds the point at `az` after the last one; where the boundary passes
    // so close to a pole that the longitude jumps by more than 90 degrees,
    // the points between come first, so that the unwrapping goes the right
    // way round.
    void extend(std::vector<Vertex>& v, double az, int depth) const {
        const Vertex next = at(az, v.back().x);
        if (depth < 40 && std::abs(next.x - v.back().x) > 90) {
            extend(v, (v.back().az + az) / 2, depth + 1);
            extend(v, az, depth + 1);
            return;
        }
        v.push_back(next);
    }

    // The boundary point between a and b whose unwrapped longitude is `line`.
    Vertex crossing(Vertex a, Vertex b, double line) const {
        const bool a_below = a.x < line;
        for (int i = 0; i < 60; ++i) {
            Vertex mid = at((a.az + b.az) / 2, a.x);
            ((mid.x < line) == a_below ? a : b) = mid;
        }
        Vertex c = at((a.az + b.az) / 2, a.x);
        c.x = line;
        return c;
    }

    // Adds the exact crossing of every meridian 180 + 360k between two
    // vertices.
    std::vector<Vertex> with_crossings(const std::vector<Vertex>& v) const {
        std::vector<Vertex> out;
        for (std::size_t i = 0; i + 1 < v.size(); ++i) {
            out.push_back(v[i]);
            const double lo = std::min(v[i].x, v[i + 1].x), hi = std::max(v[i].x, v[i + 1].x);
            // The antimeridian lines 180 + 360 k between the two longitudes.
            for (auto k = static_cast<long>(std::ceil((lo - 180) / 360));; ++k) {
                const double line = 180.0 + 360.0 * static_cast<double>(k);
                if (line >= hi) break;
                if (line > lo) out.push_back(crossing(v[i], v[i + 1], line));
            }
        }
        out.push_back(v.back());
        return out;
    }

private:
    double lat_, lon_, meters_;
};

Ring ring_of(const std::vector<Vertex>& v, double shift = 0) {
    Ring r;
    for (const Vertex& p : v) r.push_back({p.x + shift, p.lat});
    return r;
}

void close(Ring& r) {
    if (!r.empty()) r.push_back(r.front());
}

// The vertices of a closed run on one side of the meridian x = line (the
// crossings on it included), in their order, as one stretch: the open ring is
// first turned to begin on the other side.
std::vector<Vertex> side_of(std::vector<Vertex> closed, double line, bool west) {
    closed.pop_back();
    auto other =
        std::find_if(closed.begin(), closed.end(), [&](const Vertex& p) { return west ? p.x > line : p.x < line; });
    std::rotate(closed.begin(), other, closed.end());
    std::vector<Vertex> kept;
    for (const Vertex& p : closed)
        if (west ? p.x <= line : p.x >= line) kept.push_back(p);
    return kept;
}

// A circle around neither pole: one ring, or its parts on the two sides of
// the antimeridian, each moved into -180..180.
std::vector<Polygon> disc_pieces(std::vector<Vertex> v) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.x < b.x; });
    if (lo->x >= -180 && hi->x <= 180) return {{ring_of(v)}};
    const double line = hi->x > 180 ? 180 : -180;
    const double far_shift = line > 0 ? -360 : 360;
    Ring near = ring_of(side_of(v, line, line > 0));
    Ring far = ring_of(side_of(v, line, line < 0), far_shift);
    close(near);
    close(far);
    return {{near}, {far}};
}

// A circle around one pole: the boundary from -180 to 180 closed along the
// pole's latitude.
Shape cap_shape(const Circle& c, std::vector<Vertex> v, bool north) {
    if (v.back().x < v.front().x) std::reverse(v.begin(), v.end());
    v = c.with_crossings(v);
    const double line = 180 + 360 * std::ceil((v.front().x - 180) / 360);
    const auto at_line = std::find_if(v.begin(), v.end(), [&](const Vertex& p) { return p.x == line; });
    std::vector<Vertex> curve(at_line, v.end());
    for (auto p = v.begin() + 1; p <= at_line; ++p) curve.push_back({p->az, p->x + 360, p->lat});
    Shape shape;
    shape.outline = ring_of(curve, -180 - line);
    Ring ring = shape.outline;
    const double pole = north ? 90 : -90;
    if (north) {
        ring.push_back({180, pole});
        ring.push_back({-180, pole});
    } else {
        std::reverse(ring.begin(), ring.end());
        ring.insert(ring.begin(), {{-180, pole}, {180, pole}});
    }
    close(ring);
    shape.pieces = {{ring}};
    return shape;
}

// A circle around both poles: the Earth less the area the boundary encloses
// around the antipode, as a hole or, where that area crosses the
// antimeridian, as two notches in the one ring.
std::vector<Polygon> earth_less(std::vector<Vertex> v) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.x < b.x; });
    if (lo->x >= -180 && hi->x <= 180) {
        Ring hole = ring_of(v);
        if (signed_area2(hole) > 0) std::reverse(hole.begin(), hole.end());
        return {{world(), hole}};
    }
    if (lo->x < -180)
        for (Vertex& p : v) p.x += 360;
    Ring west = ring_of(side_of(v, 180, true));
    Ring east = ring_of(side_of(v, 180, false), -360);
    if (west.front().lat > west.back().lat) std::reverse(west.begin(), west.end());
    if (east.front().lat < east.back().lat) std::reverse(east.begin(), east.end());
    Ring ring = {{-180, -90}, {180, -90}};
    ring.insert(ring.end(), west.begin(), west.end());
    ring.insert(ring.end(), {{180, 90}, {-180, 90}});
    ring.insert(ring.end(), east.begin(), east.end());
    close(ring);
    return {{ring}};
}

}  // namespace

const GeographicLib::Geodesic& wgs84() { return Geodesic::WGS84(); }

double distance_miles(double lat1, double lon1, double lat2, double lon2) {
    double meters = 0;
    wgs84().Inverse(lat1, lon1, lat2, lon2, meters);
    return meters / METERS_PER_MILE;
}

double signed_area2(const Ring& ring) {
    double sum = 0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i)
        sum += ring[i].lon * ring[i + 1].lat - ring[i + 1].lon * ring[i].lat;
    return sum;
}

Shape circle_shape(double lat, double lon, double radius_miles, int samples) {
    samples = std::max(samples, 64);
    const double to_north = distance_miles(lat, lon, 90, 0);
    const double to_south = distance_miles(lat, lon, -90, 0);
    const double antipode_lon = wrap180(lon + 180);
    Shape shape;
    if (radius_miles >= distance_miles(lat, lon, -lat, antipode_lon)) {
        shape.pieces = {{world()}};
        return shape;
    }
    const Circle c(lat, lon, radius_miles * METERS_PER_MILE);
    bool north = radius_miles >= to_north, south = radius_miles >= to_south;
    if (north != south) {
        std::vector<Vertex> v = c.sample(samples, lon);
        // A boundary that only touches the pole does not go round it.
        if (std::abs(v.back().x - v.front().x) > 180) return cap_shape(c, v, north);
        north = south = false;
    }

    std::vector<Vertex> v = c.sample(samples, north ? antipode_lon : lon);
    // The ring ends where it began, its azimuth a whole turn on.
    v.back().x = v.front().x, v.back().lat = v.front().lat;
    v = c.with_crossings(v);
    shape.outline = ring_of(v);
    shape.pieces = north ? earth_less(v) : disc_pieces(v);
    return shape;
}

Shape box_shape(double south, double west, double north, double east) {
    Shape shape;
    shape.outline = {{west, south}, {east, south}, {east, north}, {west, north}, {west, south}};
    shape.pieces = {{shape.outline}};
    return shape;
}
