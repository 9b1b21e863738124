#include "journal/transfer_entry.hpp"

#include <cstring>
#include <ctime>
#include <vector>

#include "firmware/hex_image.hpp"
#include "journal/journal.hpp"

namespace {

using Entry = nlohmann::ordered_json;

// A hash, or null when there is none.
nlohmann::ordered_json hash_or_null(const std::string& sha) { return sha.empty() ? Entry() : Entry(sha); }

std::string implicit_name(uint16_t action) {
    if (action == IMPLICIT_PASS) return "pass";
    if (action == IMPLICIT_DROP) return "drop";
    return std::to_string(action);
}

Entry common_entry(const char* kind, TransferOutcome outcome, int result, const TransferPlace& place,
                   const std::string& time) {
    Entry e;
    e["entry"] = 0;
    e["time"] = time;
    e["kind"] = kind;
    e["outcome"] = outcome_name(outcome);
    e["result"] = result;
    e["step"] = 0;
    e["port"] = place.port;
    e["device"] = place.device;
    e["rate"] = place.rate;
    return e;
}

// Stores each file (path, bytes) and appends the entry; one warning line
// for whatever failed.
int record(const std::string& dir, Entry entry, const std::vector<std::pair<std::string, std::string>>& files,
           Sink& out) {
    std::string why;
    for (const auto& [path, bytes] : files) {
        if (!journal_store_file(path, bytes.data(), bytes.size()) && why.empty()) why = "cannot store " + path;
    }
    std::string append_why;
    const int number = journal_append(dir, entry, append_why);
    if (number == 0) why = append_why;
    if (!why.empty()) {
        out.warning("journal %s: %s; this transfer is %s\n", dir.c_str(), why.c_str(),
                    number == 0 ? "not recorded" : "recorded without its images");
    }
    return number;
}

}  // namespace

std::string station_name(const ConfigRecord& config) {
    const std::size_t length = strnlen(config.call_sign, sizeof config.call_sign);
    return std::string(config.call_sign, length) + "-" + std::to_string(config.ssid);
}

std::string utc_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

const char* outcome_name(TransferOutcome outcome) {
    switch (outcome) {
    case TransferOutcome::succeeded: return "succeeded";
    case TransferOutcome::cancelled: return "cancelled";
    case TransferOutcome::failed: break;
    }
    return "failed";
}

nlohmann::ordered_json download_entry(const DownloadRecord& r, const std::string& time) {
    Entry e = common_entry("download", r.outcome, r.result, r.place, time);
    e["step"] = r.step;
    e["device_version"] = r.device_version.empty() ? Entry() : Entry(r.device_version);
    const ConfigRecord& config = *r.config;
    const std::size_t rule_bytes = static_cast<std::size_t>(config.rule_count) * sizeof(RuleRecord);
    e["station"] = station_name(config);
    e["config_file"] = r.config_file;
    e["config_file_sha256"] = hash_or_null(r.config_file_sha256);
    e["rules_file"] = r.rules_file;
    e["rules_file_sha256"] = hash_or_null(r.rules_file_sha256);
    e["config_sha256"] = sha256_hex(&config, sizeof config);
    // A count above the table's size is refused before any rule goes out.
    e["rules_sha256"] = config.rule_count <= MAX_RULES ? Entry(sha256_hex(r.rules->slot, rule_bytes)) : Entry();
    e["rule_count"] = config.rule_count;
    e["implicit"] = implicit_name(config.implicit_action);
    e["program_version"] = r.place.program_version;
    return e;
}

nlohmann::ordered_json firmware_entry(const FirmwareRecord& r, const std::string& time) {
    Entry e = common_entry("firmware", r.outcome, r.result, r.place, time);
    e["step"] = r.step;
    e["hex_file"] = r.hex_file;
    e["hex_sha256"] = sha256_hex(r.hex_bytes.data(), r.hex_bytes.size());
    std::vector<uint8_t> image;
    e["image_sha256"] = hex_binary_image(r.hex_bytes, image) ? Entry(sha256_hex(image.data(), image.size())) : Entry();
    e["records"] = r.records;
    e["total_records"] = r.total_records;
    e["program_version"] = r.place.program_version;
    return e;
}

int journal_download(const std::string& dir, const DownloadRecord& r, Sink& out) {
    const Entry entry = download_entry(r, utc_time_now());
    const ConfigRecord& config = *r.config;
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back(journal_image_path(dir, entry["config_sha256"].get<std::string>()),
                       std::string(reinterpret_cast<const char*>(&config), sizeof config));
    if (config.rule_count <= MAX_RULES) {
        files.emplace_back(journal_image_path(dir, entry["rules_sha256"].get<std::string>()),
                           std::string(reinterpret_cast<const char*>(r.rules->slot),
                                       static_cast<std::size_t>(config.rule_count) * sizeof(RuleRecord)));
    }
    return record(dir, entry, files, out);
}

int journal_firmware(const std::string& dir, const FirmwareRecord& r, Sink& out) {
    const Entry entry = firmware_entry(r, utc_time_now());
    return record(dir, entry, {{journal_firmware_path(dir, entry["hex_sha256"].get<std::string>()), r.hex_bytes}},
                  out);
}
