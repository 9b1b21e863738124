// The two images a download entry of the journal names, read back from the
// journal's folder and checked against the hashes that name them.
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

// Reads the configuration image and the rule image of a download entry from
// DIR/images. False, with the reason in `error`, when the entry is no
// download or names no images, or when an image is missing, is not the bytes
// its hash names, or is of the wrong size. An empty rule image need not have
// been stored as a file.
bool entry_images(const std::string& dir, const nlohmann::json& entry, EntryImages& images, std::string& error);
