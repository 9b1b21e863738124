#include "journal/entry_images.hpp"

#include <cstring>

#include "journal/journal.hpp"

namespace {

// The bytes stored under the hash, checked against it; "" or the reason.
std::string stored(const std::string& dir, const std::string& sha, const std::string& what, std::string& bytes) {
    const std::string path = journal_image_path(dir, sha);
    if (!journal_read_file(path, bytes)) {
        if (sha == sha256_hex("", 0)) return "";
        return "the " + what + " is not in the journal: " + path;
    }
    if (sha256_hex(bytes.data(), bytes.size()) != sha) return "the " + what + " does not match its hash: " + path;
    return "";
}

}  // namespace

bool entry_images(const std::string& dir, const nlohmann::json& entry, EntryImages& images, std::string& error) {
    const auto number_it = entry.find("entry");
    const std::string number = number_it == entry.end() ? "?" : number_it->dump();
    const auto kind = entry.find("kind");
    if (kind == entry.end() || *kind != "download") {
        error = "entry " + number + " is no download";
        return false;
    }
    const auto config_sha = entry.find("config_sha256");
    const auto rules_sha = entry.find("rules_sha256");
    if (config_sha == entry.end() || !config_sha->is_string() || rules_sha == entry.end() || !rules_sha->is_string()) {
        error = "entry " + number + " names no images";
        return false;
    }
    std::string config, rules;
    error = stored(dir, config_sha->get<std::string>(), "configuration image of entry " + number, config);
    if (error.empty()) error = stored(dir, rules_sha->get<std::string>(), "rule image of entry " + number, rules);
    if (error.empty() && config.size() != sizeof(ConfigRecord)) {
        error = "the configuration image of entry " + number + " holds " + std::to_string(config.size()) +
                " bytes, not " + std::to_string(sizeof(ConfigRecord));
    }
    if (error.empty() && rules.size() % sizeof(RuleRecord) != 0) {
        error = "the rule image of entry " + number + " holds " + std::to_string(rules.size()) +
                " bytes, not a whole number of " + std::to_string(sizeof(RuleRecord)) + "-byte rules";
    }
    if (!error.empty()) return false;
    std::memcpy(&images.config, config.data(), sizeof images.config);
    images.rules.resize(rules.size() / sizeof(RuleRecord));
    if (!rules.empty()) std::memcpy(images.rules.data(), rules.data(), rules.size());
    return true;
}
