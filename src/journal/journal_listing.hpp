// Showing the journal to the operator: one line per entry, or one entry
// whole with the station its images hold, as dconfigure and drules show it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "station/station.hpp"
#include "text/sink.hpp"

// The entries oldest first, one a line: entry, time, station, port, kind,
// outcome and what was sent. 0, or 1 when the journal has no entries.
int journal_list(const std::string& dir, Sink& out);

// Entry `number` field by field, then its station decoded from the stored
// images. 0, or 2 when there is no such entry.
int journal_show(const std::string& dir, int number, Sink& out);

// The station the entry's stored images hold (both processed flags set).
// False, with the reason in `why`, when an image is missing or does not
// match its hash and size.
bool journal_station(const std::string& dir, const nlohmann::json& entry, Station& station, std::string& why);
