#include "check/rule_checks.hpp"

#include <algorithm>
#include <cmath>

#include "check/rule_areas.hpp"
#include "check/sphere.hpp"
#include "station/config_record.hpp"
#include "station/station.hpp"
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

// Points around the edge of a circle rule.
std::vector<Place> circle_edge(const RuleRecord& r) {
    constexpr int STEPS = 128;
    std::vector<Place> points;
    for (int i = 0; i < STEPS; ++i) {
        const SpherePoint p = sphere_point(r.lat, r.lon, 360.0 * i / STEPS, r.radius);
        points.push_back({p.lat, p.lon});
    }
    return points;
}

bool in_box(const Box& b, double lat, double lon) {
    return lat >= b.south && lat <= b.north && lon >= b.west && lon <= b.east;
}

// Latitudes and longitudes with their signs reversed or not.
struct Signs {
    double lat = 1, lon = 1;
};

struct Mirror {
    Signs signs;
    const char* what;
};
const Mirror MIRRORS[] = {{{1, -1}, "longitude"}, {{-1, 1}, "latitude"}, {{-1, -1}, "latitude and longitude"}};

bool is_place(const RuleRecord& r) {
    return r.kind == KIND_CIRCLE || r.kind == KIND_RECTANGLE || r.kind == KIND_COMPASS;
}

bool is_area(const RuleRecord& r) { return r.kind == KIND_CIRCLE || r.kind == KIND_RECTANGLE; }

// How far the area of a circle, rectangle or compass rule, its signs as
// given, lies from a point.
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
        for (const Place& p : box_edge(b)) nearest = std::min(nearest, sphere_miles(from.lat, from.lon, p.lat, p.lon));
        return nearest;
    }
    const double d = sphere_miles(from.lat, from.lon, r.lat * s.lat, r.lon * s.lon);
    return r.kind == KIND_CIRCLE ? std::max(0.0, d - r.radius) : d;
}

std::string place_words(const RuleRecord& r, Signs s) {
    if (r.kind == KIND_RECTANGLE)
        return formatted("corners %.6f, %.6f and %.6f, %.6f", r.lat1 * s.lat, r.lon1 * s.lon, r.lat2 * s.lat,
                         r.lon2 * s.lon);
    return formatted("%.6f, %.6f", r.lat * s.lat, r.lon * s.lon);
}

const char* area_words(const RuleRecord& r) { return r.kind == KIND_COMPASS ? "compass point" : kind_name(r); }

void rule_warning(std::vector<CheckWarning>& out, const RuleRecord& r, std::string message) {
    out.push_back({CheckedFile::rules, r.line, std::move(message)});
}

void check_distance(Place station, const RuleRecord& r, std::vector<CheckWarning>& out) {
    const double d = area_distance(r, station, {});
    if (d <= FAR_MILES) return;
    const Mirror* best = nullptr;
    double best_d = HUGE_VAL;
    for (const Mirror& m : MIRRORS) {
        const double md = area_distance(r, station, m.signs);
        if (md < best_d) best = &m, best_d = md;
    }
    std::string message = formatted("%s lies %.0f mi from the base station; ", area_words(r), d);
    if (best_d <= FAR_MILES)
        message += formatted("with the sign of its %s reversed it would lie %.0f mi from it, at %s", best->what, best_d,
                             place_words(r, best->signs).c_str());
    else
        message += formatted("no other sign of its latitude or longitude brings it within %.0f mi", FAR_MILES);
    rule_warning(out, r, message);
}

// The station's own sign: when every place of the rules is far from it and
// one other sign of the station's latitude or longitude brings every one
// near, the station's line is at fault, not the rules. With a single place
// either may be at fault; the rule is blamed then, with where its own other
// sign puts it. True when it warned.
bool check_station_sign(const CheckStation& station, const std::vector<const RuleRecord*>& places,
                        std::vector<CheckWarning>& out) {
    if (places.size() < 2 || station.position_line == 0) return false;
    double nearest = HUGE_VAL;
    for (const RuleRecord* r : places) nearest = std::min(nearest, area_distance(*r, {station.lat, station.lon}, {}));
    if (nearest <= FAR_MILES) return false;
    for (const Mirror& m : MIRRORS) {
        const Place flipped{station.lat * m.signs.lat, station.lon * m.signs.lon};
        double farthest = 0;
        for (const RuleRecord* r : places) farthest = std::max(farthest, area_distance(*r, flipped, {}));
        if (farthest > FAR_MILES) continue;
        out.push_back({CheckedFile::config, station.position_line,
                       formatted("the base station lies %.0f mi or more from every circle, rectangle and compass "
                                 "point of the rules; with the sign of its %s reversed it would lie within %.0f mi "
                                 "of each, at %.6f, %.6f",
                                 nearest, m.what, farthest, flipped.lat, flipped.lon)});
        return true;
    }
    return false;
}

void check_corner_order(const RuleRecord& r, std::vector<CheckWarning>& out) {
    if (r.lat1 >= r.lat2 && r.lon1 <= r.lon2) return;
    const std::string first =
        std::string(r.lat1 >= r.lat2 ? "north" : "south") + (r.lon1 <= r.lon2 ? "-west" : "-east");
    const std::string second =
        std::string(r.lat2 > r.lat1 ? "north" : "south") + (r.lon2 >= r.lon1 ? "-east" : "-west");
    const Box b = box_of(r);
    rule_warning(out, r,
                 formatted("rectangle corners are %s, then %s; north-west, then south-east is probably meant: "
                           "%.6f, %.6f, %.6f, %.6f",
                           first.c_str(), second.c_str(), b.north, b.west, b.south, b.east));
}

// Whether the area of rule `a` lies entirely inside that of `b` (both
// circles or rectangles).
bool inside(const RuleRecord& a, const RuleRecord& b) {
    if (b.kind == KIND_CIRCLE) {
        if (a.kind == KIND_CIRCLE) return sphere_miles(a.lat, a.lon, b.lat, b.lon) + a.radius <= b.radius;
        const Box box = box_of(a);
        // A circle around both poles leaves out an area around its antipode.
        const bool both_poles =
            b.radius >= sphere_miles(b.lat, b.lon, 90, 0) && b.radius >= sphere_miles(b.lat, b.lon, -90, 0);
        if (both_poles && in_box(box, -b.lat, std::remainder(b.lon + 180.0, 360.0))) return false;
        for (const Place& p : box_edge(box))
            if (sphere_miles(b.lat, b.lon, p.lat, p.lon) > b.radius) return false;
        return true;
    }
    const Box box = box_of(b);
    if (a.kind == KIND_RECTANGLE) {
        const Box in = box_of(a);
        return in.south >= box.south && in.north <= box.north && in.west >= box.west && in.east <= box.east;
    }
    if (!in_box(box, a.lat, a.lon)) return false;
    for (const Place& p : circle_edge(a))
        if (!in_box(box, p.lat, p.lon)) return false;
    return true;
}

void check_inside_earlier(const std::vector<RuleRecord>& rules, std::size_t i, std::vector<CheckWarning>& out) {
    const RuleRecord& r = rules[i];
    for (std::size_t j = 0; j < i; ++j) {
        const RuleRecord& e = rules[j];
        if (!is_area(e) || !inside(r, e)) continue;
        if (is_pass(e) == is_pass(r))
            rule_warning(out, r,
                         formatted("%s lies entirely inside the %s of line %d, also a %s rule: it is redundant",
                                   kind_name(r), kind_name(e), e.line, action_name(e)));
        else
            rule_warning(out, r,
                         formatted("%s %s lies entirely inside the %s %s of line %d: it may never take effect, "
                                   "depending on the order in which the device applies its rules",
                                   action_name(r), kind_name(r), action_name(e), kind_name(e), e.line));
    }
}

}  // namespace

CheckRules rules_in_memory(const Station& station, int implicit_line) {
    CheckRules rules;
    const int count = std::min<int>(station.config.rule_count, MAX_RULES);
    rules.rules.assign(station.rule_table.slot, station.rule_table.slot + count);
    rules.implicit_drop = station.config.implicit_action == IMPLICIT_DROP;
    rules.implicit_line = implicit_line;
    return rules;
}

std::vector<CheckWarning> check_rules(const CheckStation& station, const CheckRules& rules) {
    std::vector<CheckWarning> out;
    std::vector<const RuleRecord*> places;
    for (const RuleRecord& r : rules.rules)
        if (is_place(r)) places.push_back(&r);
    const bool station_blamed = station.known && check_station_sign(station, places, out);
    const bool distances = station.known && !station_blamed;
    for (std::size_t i = 0; i < rules.rules.size(); ++i) {
        const RuleRecord& r = rules.rules[i];
        if (distances && is_place(r)) check_distance({station.lat, station.lon}, r, out);
        if (r.kind == KIND_RECTANGLE) check_corner_order(r, out);
        if (is_area(r)) check_inside_earlier(rules.rules, i, out);
        if (r.kind == KIND_SECTOR && r.outer_range == 0)
            rule_warning(out, r,
                         "sector has no outer range (0 is stored): it reaches without limit, or nowhere "
                         "if the device takes 0 as the range; give an outer range");
    }
    if (rules.implicit_drop &&
        std::none_of(rules.rules.begin(), rules.rules.end(), [](const RuleRecord& r) { return is_pass(r); }))
        out.push_back({CheckedFile::rules, rules.implicit_line,
                       "the implicit action is drop and no rule passes anything: the device will drop every packet"});
    std::stable_sort(out.begin(), out.end(), [](const CheckWarning& a, const CheckWarning& b) {
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });
    return out;
}
