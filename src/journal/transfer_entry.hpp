// The journal's entries: what a download or a firmware update sent, how it
// ended and where, recorded as one line with the images beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "config/config_record.hpp"
#include "rules/rule_record.hpp"
#include "text/sink.hpp"

enum class TransferOutcome { succeeded, failed, cancelled };

// Where the transfer went and what recorded it; both kinds have these.
struct TransferPlace {
    std::string port;             // "COMn", or the device path given
    std::string device;           // the path opened
    long rate = 0;
    std::string program_version;  // the utility's own
};

// A download that sent at least its first packet.
struct DownloadRecord {
    TransferPlace place;
    TransferOutcome outcome = TransferOutcome::failed;
    int result = 0;                // the download's code, 0 when every step was acknowledged
    int step = 0;                  // the packet it ended at, from 1
    std::string device_version;    // as connect read it ("2.4"), empty when not known
    const ConfigRecord* config = nullptr;  // the configuration image as sent
    const RuleTable* rules = nullptr;      // its first config->rule_count records are sent
    std::string config_file;       // as given, or "defaults"
    std::string config_file_sha256;  // of the file's bytes when it was read; empty for the defaults
    std::string rules_file;        // as given, or "none"
    std::string rules_file_sha256;
};

// A firmware update that sent its sync character.
struct FirmwareRecord {
    TransferPlace place;
    TransferOutcome outcome = TransferOutcome::failed;
    int result = 0;             // the update's code
    unsigned long step = 0;     // the file line of the record line it ended at, 0 before the first
    std::string hex_file;       // as given
    std::string hex_bytes;      // the file as read
    long records = 0;           // record lines acknowledged
    long total_records = 0;     // record lines in the file
};

// "CALL-SSID" as the configuration image holds them, for example N0CALL-10:
// the call sign up to its NUL, a dash and the SSID in decimal.
std::string station_name(const ConfigRecord& config);

// The current time in UTC, ISO 8601 to the second ("2026-12-10T12:49:07Z").
std::string utc_time_now();

const char* outcome_name(TransferOutcome outcome);

// The entries as they are appended ("entry" first, numbered on appending).
nlohmann::ordered_json download_entry(const DownloadRecord& record, const std::string& time);
nlohmann::ordered_json firmware_entry(const FirmwareRecord& record, const std::string& time);

// Records a transfer in the journal of `dir`: the images first, then the
// entry, flushed to the disk. A journal that cannot be written gets one
// warning line on `out` and nothing else; the transfer goes on as it is.
// Returns the entry's number, 0 when it was not recorded.
int journal_download(const std::string& dir, const DownloadRecord& record, Sink& out);
int journal_firmware(const std::string& dir, const FirmwareRecord& record, Sink& out);
