#include "shell/journal_images.hpp"

#include "decode/config_decode.hpp"

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
