// The map as an RFC 7946 GeoJSON FeatureCollection.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "korrimap/station_map.hpp"

// The base station as a point, every circle and rectangle as a polygon (a
// multipolygon where it crosses the antimeridian), compass and sector rules as
// points: a compass rule at its point, a sector rule, which holds no point, at
// the base station. Every rule's feature carries its line, action, kind and
// values as the device will hold them.
nlohmann::ordered_json geojson_map(const StationMap& map);

// The collection as text, one feature a line.
std::string geojson_text(const nlohmann::ordered_json& collection);
