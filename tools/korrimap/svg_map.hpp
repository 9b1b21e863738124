// The map as an SVG picture: equirectangular, around the features, with a
// graticule, a scale bar in miles, the station, pass and drop areas in their
// colours labelled with their lines, compass and sector rules as labelled
// markers, and a legend. It needs nothing from outside: no tiles, no fonts
// but the viewer's own.
#pragma once

#include <string>

#include "korrimap/station_map.hpp"

std::string svg_map(const StationMap& map);
