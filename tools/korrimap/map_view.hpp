// The part of the Earth an SVG map shows and where a point falls on it: an
// equirectangular projection true to scale along the view's middle parallel.
// Longitudes are counted on from the base station's, past +-180 where the
// view crosses the antimeridian.
#pragma once

#include "korrimap/station_map.hpp"

struct MapView {
    double west, east, south, north;  // degrees
    double station_lon;
    double parallel;                  // degrees: the scale is true along it
    double scale;                     // pixels per degree of latitude
    double left, top, width, height;  // the plot on the page, in pixels

    double x(double lon) const;
    double y(double lat) const;
    // The longitude, moved by whole turns, nearest the station's.
    double near(double lon) const;
    // Whole turns by which a stretch of longitudes must move to lie within
    // the view: 0, +-360, ...
    std::vector<double> turns(double lon_min, double lon_max) const;
};

// A view around the station and every feature, with a margin, whose plot fits
// max_width x max_height pixels at (left, top) and is at least min_size
// pixels each way.
MapView fit_view(const StationMap& map, double left, double top, double max_width, double max_height, double min_size);
