#include "korrimap/rule_checks.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "text/formatted.hpp"

namespace {

struct Place {
    double lat, lon;
};

// Points every so often along the edges of a box.
std::vector<Place> box_edge(const Box& b) {
    constexpr int STEPS = 64;
    std::vector<Place> points;
    for (int i = 0; i <= STEPS; ++i) {
        const double t = static_cast<double>(i) / STEPS;
        const double lat = b.south + t * (b.north - b.south), lon = b.west + t * (b.east - b.west);
        points.insert(points.end(), {{b.south, lon}, {b.north, lon}, {lat, b.west}, {lat, b.east}});
    }
    return points;
}

bool in_box(const Box& b, double lat, double lon) {
    return lat >= b.south && lat <= b.north && lon >= b.west && lon <= b.east;
}

// A rule's latitudes and longitudes with their signs reversed or not.
struct Signs {
    double lat = 1, lon = 1;
};

// How far the area of a circle, rectangle or compass rule lies from a point.
double area_distance(const RuleRecord& r, Place from, Signs s) {
    if (r.kind == KIND_RECTANGLE) {
        RuleRecord m = r;
        m.lat1 = static_cast<float>(r.lat1 * s.lat);
        m.lat2 = static_cast<float>(r.lat2 * s.lat);
        m.lon1 = static_cast<float>(r.lon1 * s.lon);
        m.lon2 = static_cast<float>(r.lon2 * s.lon);
        const Box b = box_of(m);
        if (in_box(b, from.lat, from.lon)) return 0;
        double nearest = HUGE_VAL;
        for (const Place& p : box_edge(b))
            nearest = std::min(nearest, distance_miles(from.lat, from.lon, p.lat, p.lon));
        return nearest;
    }
    const double d = distance_miles(from.lat, from.lon, r.lat * s.lat, r.lon * s.lon);
    return r.kind == KIND_CIRCLE ? std::max(0.0, d - r.radius) : d;
}

std::string place_words(const RuleRecord& r, Signs s) {
    if (r.kind == KIND_RECTANGLE)
        return formatted("corners %.6f, %.6f and %.6f, %.6f", r.lat1 * s.lat, r.lon1 * s.lon, r.lat2 * s.lat,
                         r.lon2 * s.lon);
    return formatted("%.6f, %.6f", r.lat * s.lat, r.lon * s.lon);
}

const char* area_words(const RuleRecord& r) { return r.kind == KIND_COMPASS ? "compass point" : kind_name(r); }

void check_distance(const StationMap& map, const RuleRecord& r, std::vector<RuleWarning>& out) {
    const Place station{map.lat, map.lon};
    const double d = area_distance(r, station, {});
    if (d <= FAR_MILES) return;
    struct Mirror {
        Signs signs;
        const char* what;
    };
    const Mirror mirrors[] = {{{1, -1}, "longitude"}, {{-1, 1}, "latitude"}, {{-1, -1}, "latitude and longitude"}};
    const Mirror* best = nullptr;
    double best_d = HUGE_VAL;
    for (const Mirror& m : mirrors) {
        const double md = area_distance(r, station, m.signs);
        if (md < best_d) best = &m, best_d = md;
    }
    std::string message = formatted("%s lies %.0f mi from the base station; ", area_words(r), d);
    if (best_d <= FAR_MILES)
        message += formatted("with the sign of its %s reversed it would lie %.0f mi from it, at %s", best->what, best_d,
                             place_words(r, best->signs).c_str());
    else
        message += formatted("no other sign of its latitude or longitude brings it within %.0f mi", FAR_MILES);
    out.push_back({r.line, message});
}

void check_corner_order(const RuleRecord& r, std::vector<RuleWarning>& out) {
    if (r.lat1 >= r.lat2 && r.lon1 <= r.lon2) return;
    const std::string first =
        std::string(r.lat1 >= r.lat2 ? "north" : "south") + (r.lon1 <= r.lon2 ? "-west" : "-east");
    const std::string second =
        std::string(r.lat2 > r.lat1 ? "north" : "south") + (r.lon2 >= r.lon1 ? "-east" : "-west");
    const Box b = box_of(r);
    out.push_back(
        {r.line, formatted("rectangle corners are %s, then %s; north-west, then south-east is probably meant: "
                           "%.6f, %.6f, %.6f, %.6f",
                           first.c_str(), second.c_str(), b.north, b.west, b.south, b.east)});
}

// Whether the area of rule `inner` lies entirely inside that of `outer`
// (both circles or rectangles).
bool inside(const MapRule& inner, const MapRule& outer) {
    const RuleRecord &a = inner.record, &b = outer.record;
    if (b.kind == KIND_CIRCLE) {
        if (a.kind == KIND_CIRCLE) return distance_miles(a.lat, a.lon, b.lat, b.lon) + a.radius <= b.radius;
        const Box box = box_of(a);
        // A circle around both poles leaves out an area around its antipode.
        const bool both_poles =
            b.radius >= distance_miles(b.lat, b.lon, 90, 0) && b.radius >= distance_miles(b.lat, b.lon, -90, 0);
        if (both_poles && in_box(box, -b.lat, std::remainder(b.lon + 180.0, 360.0))) return false;
        for (const Place& p : box_edge(box))
            if (distance_miles(b.lat, b.lon, p.lat, p.lon) > b.radius) return false;
        return true;
    }
    const Box box = box_of(b);
    if (a.kind == KIND_RECTANGLE) {
        const Box in = box_of(a);
        return in.south >= box.south && in.north <= box.north && in.west >= box.west && in.east <= box.east;
    }
    for (const Polygon& polygon : inner.shape.pieces)
        for (const Ring& ring : polygon)
            for (const LonLat& p : ring)
                if (!in_box(box, p.lat, p.lon)) return false;
    return true;
}

bool is_area(const RuleRecord& r) { return r.kind == KIND_CIRCLE || r.kind == KIND_RECTANGLE; }

void check_inside_earlier(const StationMap& map, std::size_t i, std::vector<RuleWarning>& out) {
    const MapRule& later = map.rules[i];
    const RuleRecord& r = later.record;
    for (std::size_t j = 0; j < i; ++j) {
        const RuleRecord& e = map.rules[j].record;
        if (!is_area(e) || !inside(later, map.rules[j])) continue;
        if (is_pass(e) == is_pass(r))
            out.push_back(
                {r.line, formatted("%s lies entirely inside the %s of line %d, also a %s rule: it is redundant",
                                   kind_name(r), kind_name(e), e.line, action_name(e))});
        else
            out.push_back(
                {r.line, formatted("%s %s lies entirely inside the %s %s of line %d: it may never take effect, "
                                   "depending on the order in which the device applies its rules",
                                   action_name(r), kind_name(r), action_name(e), kind_name(e), e.line)});
    }
}

}  // namespace

std::vector<RuleWarning> check_rules(const StationMap& map) {
    std::vector<RuleWarning> out;
    for (std::size_t i = 0; i < map.rules.size(); ++i) {
        const RuleRecord& r = map.rules[i].record;
        if (r.kind != KIND_SECTOR) check_distance(map, r, out);
        if (r.kind == KIND_RECTANGLE) check_corner_order(r, out);
        if (is_area(r)) check_inside_earlier(map, i, out);
        if (r.kind == KIND_SECTOR && r.outer_range == 0)
            out.push_back({r.line,
                           "sector has no outer range (0 is stored): it reaches without limit, or nowhere "
                           "if the device takes 0 as the range; give an outer range"});
    }
    if (map.implicit_drop) {
        const bool any_pass =
            map.call_sign_pass_rules > 0 ||
            std::any_of(map.rules.begin(), map.rules.end(), [](const MapRule& m) { return is_pass(m.record); });
        if (!any_pass)
            out.push_back(
                {map.implicit_line,
                 "the implicit action is drop and no rule passes anything: the device will drop every packet"});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const RuleWarning& a, const RuleWarning& b) { return a.line < b.line; });
    return out;
}
