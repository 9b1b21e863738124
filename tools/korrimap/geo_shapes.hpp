// Areas on the WGS84 ellipsoid as polygons in longitude and latitude, the way
// a GeoJSON file holds them: [lon, lat] positions, exterior rings
// counter-clockwise, holes clockwise, every piece within -180..180.
#pragma once

#include <vector>

namespace GeographicLib {
class Geodesic;
}

inline constexpr double METERS_PER_MILE = 1609.344;  // the statute mile

struct LonLat {
    double lon;
    double lat;
};

using Ring = std::vector<LonLat>;   // closed: the last position repeats the first
using Polygon = std::vector<Ring>;  // the exterior ring, then the holes

// An area: the pieces it is cut into at the antimeridian, and its boundary as
// one unbroken line whose longitudes run on past +-180 where it crosses, for
// drawing. A boundary around a pole runs from -180 to 180 and is open; an area
// that covers the whole Earth has none.
struct Shape {
    std::vector<Polygon> pieces;
    std::vector<LonLat> outline;
};

// The WGS84 ellipsoid of every distance and circle here.
const GeographicLib::Geodesic& wgs84();

// Geodesic distance in statute miles.
double distance_miles(double lat1, double lon1, double lat2, double lon2);

// The points at the geodesic distance `radius_miles` from the centre, with at
// least `samples` vertices on the boundary (64 or more).
Shape circle_shape(double lat, double lon, double radius_miles, int samples = 128);

// The area between two latitudes and two longitudes, west to east without
// crossing the antimeridian.
Shape box_shape(double south, double west, double north, double east);

// Twice the signed area of a ring in the longitude/latitude plane: positive
// for a counter-clockwise ring.
double signed_area2(const Ring& ring);
