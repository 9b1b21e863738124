// Reading the operator's two files with the utility's own parsers.
#pragma once

#include <string>

#include "station/station.hpp"
#include "text/sink.hpp"

// Reads the Configuration file, then the Rules file, into the station, as the
// configure and rules commands do. What the parsers print goes to `out`,
// followed on a failure by the line the utility's command adds. False when a
// file is in error (the Rules file is then not read after a faulty
// Configuration file).
bool load_station_files(Station& station, const std::string& config_file, const std::string& rules_file, Sink& out);
