// The images a journal entry names, read back from the journal's folder.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"

struct EntryImages {
    ConfigRecord config{};
    std::vector<RuleRecord> rules;
};

// The entry numbered `number` of `entries`, or nullptr.
const nlohmann::json* journal_entry(const std::vector<nlohmann::json>& entries, long number);

// Reads the configuration image and the rule image of a download entry from
// DIR/images. False, with the reason in `error`, when the entry is no
// download or an image is missing or of the wrong size.
bool entry_images(const std::string& dir, const nlohmann::json& entry, EntryImages& images, std::string& error);

// The last succeeded download whose configuration image names the station
// (call sign and SSID) that `config` names, or nullptr.
const nlohmann::json* last_download_to(const std::string& dir, const std::vector<nlohmann::json>& entries,
                                       const ConfigRecord& config);

// A member of an entry as text ("?" when it has none).
std::string entry_text(const nlohmann::json& entry, const char* name);
