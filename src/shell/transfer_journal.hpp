// What the commands hand the journal of transfers: the files in force when
// they were read, and each download and firmware update that reached the
// device, recorded before the command's last line.
#pragma once

#include "station/config_record.hpp"
#include "firmware/firmware_update.hpp"

struct ShellState;

// After a configure or rules command: the file given and the SHA-256 of its
// bytes, when it was read without error.
void remember_config_file(ShellState& shell, const char* path, bool read);
void remember_rules_file(ShellState& shell, const char* path, bool read);

// A download that ended with `result` after `packets` packets had begun;
// recorded when the journal is on and a packet went out.
void journal_download_done(ShellState& shell, const ConfigRecord& image, int result, int packets);

// A firmware update that ended with `result`; recorded when the journal is
// on and the sync character went out. `hex_bytes` is the file as it was read.
void journal_firmware_done(ShellState& shell, const FirmwareTransferReport& report, int result,
                           const std::string& hex_bytes);
