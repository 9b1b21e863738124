#include "shell/journal_images.hpp"

#include <cstring>
#include <fstream>
#include <iterator>

#include "decode/config_decode.hpp"
#include "journal/journal.hpp"

namespace {

bool read_file(const std::string& path, std::vector<char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

std::string entry_text(const nlohmann::json& entry, const char* name) {
    const auto it = entry.find(name);
    if (it == entry.end()) return "?";
    return it->is_string() ? it->get<std::string>() : it->dump();
}

const nlohmann::json* journal_entry(const std::vector<nlohmann::json>& entries, long number) {
    for (const nlohmann::json& e : entries) {
        const auto it = e.find("entry");
        if (it != e.end() && it->is_number_integer() && it->get<long>() == number) return &e;
    }
    return nullptr;
}

bool entry_images(const std::string& dir, const nlohmann::json& entry, EntryImages& images, std::string& error) {
    const std::string number = entry_text(entry, "entry");
    if (entry_text(entry, "kind") != "download") {
        error = "entry " + number + " is no download";
        return false;
    }
    const auto config_sha = entry.find("config_sha256");
    const auto rules_sha = entry.find("rules_sha256");
    if (config_sha == entry.end() || !config_sha->is_string() || rules_sha == entry.end() || !rules_sha->is_string()) {
        error = "entry " + number + " names no images";
        return false;
    }
    std::vector<char> bytes;
    const std::string config_path = journal_image_path(dir, config_sha->get<std::string>());
    if (!read_file(config_path, bytes) || bytes.size() != sizeof(ConfigRecord)) {
        error = "the configuration image of entry " + number + " is not in the journal: " + config_path;
        return false;
    }
    std::memcpy(&images.config, bytes.data(), sizeof images.config);
    const std::string rules_path = journal_image_path(dir, rules_sha->get<std::string>());
    bytes.clear();
    // An empty rule image need not have been stored as a file.
    const bool empty = rules_sha->get<std::string>() == sha256_hex("", 0);
    if ((!read_file(rules_path, bytes) && !empty) || bytes.size() % sizeof(RuleRecord) != 0) {
        error = "the rule image of entry " + number + " is not in the journal: " + rules_path;
        return false;
    }
    images.rules.resize(bytes.size() / sizeof(RuleRecord));
    if (!bytes.empty()) std::memcpy(images.rules.data(), bytes.data(), bytes.size());
    return true;
}

const nlohmann::json* last_download_to(const std::string& dir, const std::vector<nlohmann::json>& entries,
                                       const ConfigRecord& config) {
    const std::string station = config_station(config);
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        if (entry_text(*e, "kind") != "download" || entry_text(*e, "outcome") != "succeeded") continue;
        EntryImages images;
        std::string error;
        // The station as the image held it, whatever the entry's text says.
        if (entry_images(dir, *e, images, error) ? config_station(images.config) == station
                                                 : entry_text(*e, "station") == station)
            return &*e;
    }
    return nullptr;
}
