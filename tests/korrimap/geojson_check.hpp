// What the korrimap tests hold a GeoJSON file to: RFC 7946's structure and
// the properties every feature of the map must carry.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// Every way in which the text breaks the rules, empty when it keeps them:
// FeatureCollection of Features; Point, LineString, Polygon or MultiPolygon
// geometries of [lon, lat] positions within range; rings of 4 or more
// positions, closed, exterior rings counter-clockwise and holes clockwise; no
// "crs" member; kind, line, action and the values of the kind in properties.
std::vector<std::string> geojson_problems(const std::string& text);

// Whether a Polygon or MultiPolygon geometry holds the point, holes left out.
bool covers(const nlohmann::json& geometry, double lon, double lat);

// Every position of a Polygon or MultiPolygon geometry.
std::vector<std::pair<double, double>> positions_of(const nlohmann::json& geometry);
