#include "check/sphere.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double RADIANS = std::numbers::pi / 180;

}  // namespace

double sphere_miles(double lat1, double lon1, double lat2, double lon2) {
    // The haversine form: sound for small and large distances alike.
    const double p1 = lat1 * RADIANS, p2 = lat2 * RADIANS;
    const double dp = p2 - p1, dl = (lon2 - lon1) * RADIANS;
    const double h = std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * EARTH_RADIUS_MILES * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
}

SpherePoint sphere_point(double lat, double lon, double azimuth, double miles) {
    const double p1 = lat * RADIANS, l1 = lon * RADIANS, a = azimuth * RADIANS;
    const double d = miles / EARTH_RADIUS_MILES;
    const double sin_p2 = std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(a);
    const double p2 = std::asin(std::clamp(sin_p2, -1.0, 1.0));
    const double l2 = l1 + std::atan2(std::sin(a) * std::sin(d) * std::cos(p1), std::cos(d) - std::sin(p1) * sin_p2);
    return {p2 / RADIANS, std::remainder(l2 / RADIANS, 360.0)};
}
