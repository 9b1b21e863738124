#include "journal/journal_listing.hpp"

#include <algorithm>

#include "config/config_display.hpp"
#include "journal/entry_images.hpp"
#include "journal/journal.hpp"
#include "rules/rules_display.hpp"

namespace {

// The field's text: a string as it is, a number in decimal, "-" for null or
// missing.
std::string text_of(const nlohmann::json& entry, const char* field) {
    const auto it = entry.find(field);
    if (it == entry.end() || it->is_null()) return "-";
    if (it->is_string()) return it->get<std::string>();
    return it->dump();
}

// What the entry sent, in a few words.
std::string what_was_sent(const nlohmann::json& e) {
    if (text_of(e, "kind") == "firmware") return text_of(e, "hex_file") + ", " + text_of(e, "records") + " records";
    return text_of(e, "config_file") + ", " + text_of(e, "rules_file") + ", " + text_of(e, "rule_count") +
           " rules, implicit " + text_of(e, "implicit");
}

// The fields in the order they are written; any others follow.
const char* const FIELD_ORDER[] = {
    "entry", "time", "kind", "outcome", "result", "step", "port", "device", "rate", "device_version", "station",
    "config_file", "config_file_sha256", "rules_file", "rules_file_sha256", "config_sha256", "rules_sha256",
    "rule_count", "implicit", "hex_file", "hex_sha256", "image_sha256", "records", "total_records",
    "program_version"};

bool known_field(const std::string& name) {
    for (const char* f : FIELD_ORDER) {
        if (name == f) return true;
    }
    return false;
}

}  // namespace

int journal_list(const std::string& dir, Sink& out) {
    const JournalRead read = journal_read(dir, out);
    if (read.entries.empty()) {
        out.printf("No transfers in the journal %s\n", journal_file_path(dir).c_str());
        return 1;
    }
    for (const nlohmann::json& e : read.entries) {
        out.printf("%4s  %s  %-10s %-6s %-8s %-9s  %s\n", text_of(e, "entry").c_str(), text_of(e, "time").c_str(),
                   text_of(e, "station").c_str(), text_of(e, "port").c_str(), text_of(e, "kind").c_str(),
                   text_of(e, "outcome").c_str(), what_was_sent(e).c_str());
    }
    return 0;
}

bool journal_station(const std::string& dir, const nlohmann::json& entry, Station& station, std::string& why) {
    EntryImages images;
    if (!entry_images(dir, entry, images, why)) return false;
    if (images.rules.size() != images.config.rule_count || images.rules.size() > MAX_RULES) {
        why = "the rule image holds " + std::to_string(images.rules.size()) + " rules, the configuration image counts " +
              std::to_string(images.config.rule_count);
        return false;
    }
    station = Station{};
    station.config = images.config;
    std::copy(images.rules.begin(), images.rules.end(), station.rule_table.slot);
    // The path elements in use stand first.
    station.digi_path_count = 0;
    while (station.digi_path_count < 8 && station.config.digi_path[station.digi_path_count][0] != '\0') {
        ++station.digi_path_count;
    }
    station.config_processed = 1;
    station.rules_processed = 1;
    return true;
}

int journal_show(const std::string& dir, int number, Sink& out) {
    const JournalRead read = journal_read(dir, out);
    for (const nlohmann::json& e : read.entries) {
        const auto it = e.find("entry");
        if (it == e.end() || !it->is_number_integer() || it->get<int>() != number) continue;
        for (const char* field : FIELD_ORDER) {
            if (e.contains(field)) out.printf("%-19s %s\n", field, text_of(e, field).c_str());
        }
        for (const auto& [name, value] : e.items()) {
            if (!known_field(name)) out.printf("%-19s %s\n", name.c_str(), value.dump().c_str());
        }
        if (text_of(e, "kind") != "download") return 0;
        Station station;
        std::string why;
        if (!journal_station(dir, e, station, why)) {
            out.warning("the station of entry %d cannot be shown: %s\n", number, why.c_str());
            return 0;
        }
        out.printf("\n");
        show_config(station, out);
        out.printf("\n");
        rules_display(station, out);
        return 0;
    }
    out.error("no entry %d in the journal %s\n", number, journal_file_path(dir).c_str());
    return 2;
}
