// Distances and points on a sphere of the Earth's mean radius: enough to
// tell an area near the station from one a sign slip put far away (within
// about half a percent of the distance on the ellipsoid).
#pragma once

inline constexpr double EARTH_RADIUS_MILES = 3958.8;

// The great-circle distance in statute miles between two points given in
// decimal degrees.
double sphere_miles(double lat1, double lon1, double lat2, double lon2);

struct SpherePoint {
    double lat;
    double lon;  // -180 to 180
};

// The point `miles` from (lat, lon) in the direction `azimuth` (degrees
// clockwise from north).
SpherePoint sphere_point(double lat, double lon, double azimuth, double miles);
