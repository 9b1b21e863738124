#include "shell/transfer_journal.hpp"

#include <string>

#include "download/download_codes.hpp"
#include "journal/journal.hpp"
#include "journal/transfer_entry.hpp"
#include "process/interrupt.hpp"
#include "shell/shell_state.hpp"
#include "shell/version.hpp"
#ifndef _WIN32
#include "serial/posix_device_path.hpp"
#endif

namespace {

void remember(const ShellState& shell, const char* path, bool read, std::string& name, std::string& sha) {
    // A file that failed leaves what is in force as it is (the processed
    // flags say whether anything is).
    if (!read || shell.journal_dir.empty()) return;
    name = path;
    sha.clear();
    std::string bytes;
    if (journal_read_file(path, bytes)) sha = sha256_hex(bytes.data(), bytes.size());
}

// The path the port's name opens.
std::string device_path(const char* port_name) {
#ifdef _WIN32
    return std::string("\\\\.\\") + port_name;
#else
    return posix_device_path(port_name);
#endif
}

TransferPlace place(const ShellState& shell, long rate) {
    TransferPlace p;
    p.port = shell.port_name;
    p.device = device_path(shell.port_name);
    p.rate = rate;
    const std::string version = PRODUCT_VERSION;
    p.program_version = version.rfind("Version ", 0) == 0 ? version.substr(8) : version;
    return p;
}

TransferOutcome outcome_of(int result) {
    if (result == 0) return TransferOutcome::succeeded;
    return cancel_requested() ? TransferOutcome::cancelled : TransferOutcome::failed;
}

}  // namespace

void remember_config_file(ShellState& shell, const char* path, bool read) {
    remember(shell, path, read, shell.config_file, shell.config_file_sha256);
}

void remember_rules_file(ShellState& shell, const char* path, bool read) {
    remember(shell, path, read, shell.rules_file, shell.rules_file_sha256);
}

void journal_download_done(ShellState& shell, const ConfigRecord& image, int result, int packets) {
    if (shell.journal_dir.empty() || packets == 0) return;
    DownloadRecord r;
    r.place = place(shell, shell.current_baud);
    r.outcome = outcome_of(result);
    r.result = result;
    r.step = packets;
    r.device_version = shell.device_version;
    r.config = &image;
    r.rules = &shell.station.rule_table;
    const bool config_in_force = shell.station.config_processed != 0;
    r.config_file = config_in_force ? shell.config_file : "defaults";
    if (config_in_force) r.config_file_sha256 = shell.config_file_sha256;
    const bool rules_in_force = shell.station.rules_processed != 0;
    r.rules_file = rules_in_force ? shell.rules_file : "none";
    if (rules_in_force) r.rules_file_sha256 = shell.rules_file_sha256;
    journal_download(shell.journal_dir, r, *shell.out);
}

void journal_firmware_done(ShellState& shell, const FirmwareTransferReport& report, int result,
                           const std::string& hex_bytes) {
    if (shell.journal_dir.empty() || !report.sync_sent) return;
    FirmwareRecord r;
    r.place = place(shell, FIRMWARE_BAUD);
    r.outcome = result == FIRMWARE_CANCELLED ? TransferOutcome::cancelled : outcome_of(result);
    r.result = result;
    r.step = report.line;
    r.hex_file = shell.firmware_file;
    r.hex_bytes = hex_bytes;
    r.records = report.records;
    r.total_records = report.total_records;
    journal_firmware(shell.journal_dir, r, *shell.out);
}
