#include "korrimap/svg_map.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "text/formatted.hpp"
#include "korrimap/map_view.hpp"

namespace {
constexpr double LEFT = 64, TOP = 56, BOTTOM = 40, GAP = 24, LEGEND_WIDTH = 250, RIGHT = 16;
constexpr const char* PASS_COLOUR = "#1a9850";
constexpr const char* DROP_COLOUR = "#d73027";

std::string escaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

const char* colour(const RuleRecord& r) { return is_pass(r) ? PASS_COLOUR : DROP_COLOUR; }

// A label with a white halo, legible over areas and lines.
std::string label(double x, double y, const std::string& words, const char* anchor = "start", bool bold = false) {
    return formatted(
        "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"%s\"%s stroke=\"white\" stroke-width=\"3\" "
        "paint-order=\"stroke\">%s</text>\n",
        x, y, anchor, bold ? " font-weight=\"bold\"" : "", escaped(words).c_str());
}

// A marker's label: to its right, or to its left where it would run past the
// plot's right edge (about 6.5 pixels a character).
std::string marker_label(double x, double y, const std::string& words, const MapView& v) {
    const auto characters = std::count_if(words.begin(), words.end(), [](char c) { return (c & 0xC0) != 0x80; });
    const double width = 6.5 * static_cast<double>(characters);
    if (x + 10 + width <= v.left + v.width || x - 10 - width < v.left) return label(x + 10, y + 4, words);
    return label(x - 10, y + 4, words, "end");
}

std::string path_of(const std::vector<LonLat>& points, double turn, const MapView& v, bool closed) {
    std::string d;
    for (const LonLat& p : points) d += formatted("%s%.1f %.1f", d.empty() ? "M" : " L", v.x(p.lon + turn), v.y(p.lat));
    return closed ? d + " Z" : d;
}

std::pair<double, double> lon_range(const std::vector<LonLat>& points) {
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const LonLat& p : points) lo = std::min(lo, p.lon), hi = std::max(hi, p.lon);
    return {lo, hi};
}

std::string area(const MapRule& rule, const MapView& v) {
    std::string fill, line;
    for (const Polygon& polygon : rule.shape.pieces) {
        const auto [lo, hi] = lon_range(polygon.front());
        for (double turn : v.turns(lo, hi))
            for (const Ring& ring : polygon) fill += path_of(ring, turn, v, true) + " ";
    }
    const std::vector<LonLat>& outline = rule.shape.outline;
    if (!outline.empty()) {
        const bool closed = outline.front().lon == outline.back().lon && outline.front().lat == outline.back().lat;
        const auto [lo, hi] = lon_range(outline);
        for (double turn : v.turns(lo, hi)) line += path_of(outline, turn, v, closed) + " ";
    }
    return formatted(
        "<path d=\"%s\" fill=\"%s\" fill-opacity=\"0.22\" fill-rule=\"evenodd\" stroke=\"none\"/>\n"
        "<path d=\"%s\" fill=\"none\" stroke=\"%s\" stroke-width=\"2\"/>\n",
        fill.c_str(), colour(rule.record), line.c_str(), colour(rule.record));
}

// Where the line number of an area goes: just inside its northern edge, or
// at its centre when it goes round a pole.
std::string area_label(const MapRule& rule, const MapView& v) {
    const RuleRecord& r = rule.record;
    const bool circle = r.kind == KIND_CIRCLE;
    const Box b = box_of(r);
    const double lon = v.near(circle ? r.lon : (b.west + b.east) / 2);
    double top = circle ? r.lat : b.north;
    const auto [lo, hi] = lon_range(rule.shape.outline);
    if (!rule.shape.outline.empty() && hi - lo < 359.999)
        for (const LonLat& p : rule.shape.outline) top = std::max(top, p.lat);
    const double y = std::clamp(v.y(top) + 15, v.top + 14, v.top + v.height - 4);
    return label(v.x(lon), y, formatted("line %d", r.line), "middle");
}

std::string diamond(double x, double y, const char* fill) {
    return formatted("<path d=\"M%.1f %.1f l6 6 l-6 6 l-6 -6 Z\" fill=\"%s\" stroke=\"#222\"/>\n", x, y - 6, fill);
}

std::string triangle(double x, double y, const char* fill) {
    return formatted("<path d=\"M%.1f %.1f l6 10 l-12 0 Z\" fill=\"%s\" stroke=\"#222\"/>\n", x, y - 5, fill);
}

std::string station_marker(double x, double y) {
    return formatted("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"5\" fill=\"black\" stroke=\"white\" stroke-width=\"1.5\"/>\n",
                     x, y);
}

// "line 7 sector 90°–180°, 2–60", or "..., from 2" without an outer range.
std::string sector_words(const RuleRecord& r) {
    const double inner = r.inner_range, outer = r.outer_range;
    return formatted("line %d sector %g°–%g°, ", r.line, static_cast<double>(r.angle1), static_cast<double>(r.angle2)) +
           (outer == 0 ? formatted("from %g", inner) : formatted("%g–%g", inner, outer));
}

// Degrees between graticule lines: no more than `most` lines over the span.
double graticule_step(double span, int most) {
    for (double step : {0.05, 0.1, 0.2, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0})
        if (span / step <= most) return step;
    return 90;
}

std::string degrees(double value, char positive, char negative) {
    if (std::abs(value) < 1e-9 || std::abs(std::abs(value) - 180) < 1e-9) return formatted("%g°", std::abs(value));
    return formatted("%g°%c", std::abs(value), value > 0 ? positive : negative);
}

std::string graticule(const MapView& v) {
    std::string lines, labels;
    const double lat_step = graticule_step(v.north - v.south, 8);
    for (auto k = static_cast<long>(std::ceil(v.south / lat_step)); static_cast<double>(k) * lat_step <= v.north; ++k) {
        const double lat = static_cast<double>(k) * lat_step;
        lines += formatted("M%.1f %.1f H%.1f ", v.left, v.y(lat), v.left + v.width);
        labels += label(v.left - 6, v.y(lat) + 4, degrees(lat, 'N', 'S'), "end");
    }
    const double lon_step = graticule_step(v.east - v.west, 10);
    for (auto k = static_cast<long>(std::ceil(v.west / lon_step)); static_cast<double>(k) * lon_step <= v.east; ++k) {
        const double lon = static_cast<double>(k) * lon_step;
        lines += formatted("M%.1f %.1f V%.1f ", v.x(lon), v.top, v.top + v.height);
        labels += label(v.x(lon), v.top + v.height + 16, degrees(std::remainder(lon, 360.0), 'E', 'W'), "middle");
    }
    return formatted("<path d=\"%s\" fill=\"none\" stroke=\"#b8c4cc\" stroke-width=\"1\"/>\n", lines.c_str()) + labels;
}

// A bar of a round number of miles, about a quarter of the plot's width, true
// along the view's middle parallel.
std::string scale_bar(const MapView& v) {
    const double miles_per_degree = distance_miles(v.parallel, 0, v.parallel, 0.01) / 0.01;
    const double miles_per_pixel = miles_per_degree / (std::cos(v.parallel * 3.14159265358979323846 / 180) * v.scale);
    const double target = v.width / 4 * miles_per_pixel;
    double miles = std::pow(10, std::floor(std::log10(target)));
    for (double m : {5.0, 2.0})
        if (miles * m <= target) {
            miles *= m;
            break;
        }
    const double px = miles / miles_per_pixel, x = v.left + 14, y = v.top + v.height - 14;
    return formatted(
               "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"30\" fill=\"white\" fill-opacity=\"0.85\"/>\n"
               "<path d=\"M%.1f %.1f v6 H%.1f v-6\" fill=\"none\" stroke=\"black\" stroke-width=\"2\"/>\n",
               x - 6, y - 22, px + 12, x, y - 6, x + px) +
           label(x + px / 2, y - 10, formatted("%g mi", miles), "middle");
}

std::string swatch(double x, double y, const char* fill) {
    return formatted(
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"12\" height=\"12\" fill=\"%s\" fill-opacity=\"0.3\" "
        "stroke=\"%s\" stroke-width=\"2\"/>\n",
        x, y - 10, fill, fill);
}

constexpr double LEGEND_HEIGHT = 284;

std::string legend(const StationMap& map, double x, double y) {
    std::string s = formatted(
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"white\" "
        "stroke=\"#888\"/>\n",
        x, y, LEGEND_WIDTH, LEGEND_HEIGHT);
    x += 12;
    // Each row: its marker, if any, at x + 6 and its words at x + 20.
    auto row = [&](double step, const std::string& marker, const std::string& words) {
        y += step;
        s += marker + label(marker.empty() ? x : x + 20, y, words);
    };
    y += 22;
    s += label(x, y, "Legend", "start", true);
    row(24, station_marker(x + 6, y + 20), "base station " + map.call);
    row(22, swatch(x, y + 22, PASS_COLOUR), "pass area");
    row(22, swatch(x, y + 22, DROP_COLOUR), "drop area");
    row(22, diamond(x + 6, y + 18, "white"), "compass rule, at its point");
    row(22, triangle(x + 6, y + 18, "white"), "sector rule, by the station");
    row(28, "", std::string("implicit action: ") + (map.implicit_drop ? "drop" : "pass"));
    row(20, "", formatted("call-sign rules (not drawn): %d", map.call_sign_rules));
    row(28, "", "Markers stand for compass and");
    row(16, "", "sector rules; what area they");
    row(16, "", "cover is up to the device.");
    row(22, "", "Circles: geodesic, on WGS84.");
    return s;
}

std::string file_name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

std::string svg_map(const StationMap& map) {
    const MapView v = fit_view(map, LEFT, TOP, 860, 620, 300);
    const double width = LEFT + v.width + GAP + LEGEND_WIDTH + RIGHT;
    const double height = std::max(TOP + v.height + BOTTOM, TOP + LEGEND_HEIGHT + BOTTOM);
    std::string s = formatted(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
        "viewBox=\"0 0 %.0f %.0f\" font-family=\"DejaVu Sans, sans-serif\" font-size=\"12\">\n"
        "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
        std::ceil(width), std::ceil(height), std::ceil(width), std::ceil(height));
    s += label(LEFT, 22, "Rules " + file_name(map.rules_name) + " with configuration " + file_name(map.config_name),
               "start", true);
    s += label(LEFT, 40,
               formatted("base station %s at %.6f, %.6f", map.call.c_str(), static_cast<double>(map.lat),
                         static_cast<double>(map.lon)));
    s += formatted(
        "<clipPath id=\"plot\"><rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"/></clipPath>\n"
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#f3f7fa\"/>\n",
        v.left, v.top, v.width, v.height, v.left, v.top, v.width, v.height);
    s += graticule(v);
    s += "<g clip-path=\"url(#plot)\">\n";
    for (const MapRule& rule : map.rules)
        if (!rule.shape.pieces.empty()) s += area(rule, v);
    for (const MapRule& rule : map.rules)
        if (!rule.shape.pieces.empty()) s += area_label(rule, v);
    const double sx = v.x(map.lon), sy = v.y(map.lat);
    int sectors = 0;
    for (const MapRule& rule : map.rules) {
        const RuleRecord& r = rule.record;
        if (r.kind == KIND_COMPASS) {
            const double x = v.x(v.near(r.lon)), y = v.y(r.lat);
            s += diamond(x, y, colour(r)) +
                 marker_label(x, y, formatted("line %d compass %s", r.line, direction_name(r)), v);
        } else if (r.kind == KIND_SECTOR) {
            const double y = sy + 20 + 16 * sectors++;
            s += triangle(sx + 14, y, colour(r)) + marker_label(sx + 14, y, sector_words(r), v);
        }
    }
    s += station_marker(sx, sy) + label(sx + 9, sy - 6, map.call, "start", true);
    s += scale_bar(v);
    s += "</g>\n";
    s += formatted("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"#666\"/>\n",
                   v.left, v.top, v.width, v.height);
    s += legend(map, v.left + v.width + GAP, v.top);
    return s + "</svg>\n";
}
