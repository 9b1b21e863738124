// Finding a journal entry: by its number, or the last download to a station.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "journal/entry_images.hpp"
#include "station/config_record.hpp"

// The entry numbered `number` of `entries`, or nullptr.
const nlohmann::json* journal_entry(const std::vector<nlohmann::json>& entries, long number);

// The last succeeded download whose configuration image names the station
// (call sign and SSID) that `config` names, or nullptr.
const nlohmann::json* last_download_to(const std::string& dir, const std::vector<nlohmann::json>& entries,
                                       const ConfigRecord& config);

// A member of an entry as text ("?" when it has none).
std::string entry_text(const nlohmann::json& entry, const char* name);
