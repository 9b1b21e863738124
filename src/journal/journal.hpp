// The journal of transfers: DIR/journal.jsonl holds one JSON object a line,
// one line per download or firmware update that reached the device, and
// beside it every image sent, named by its SHA-256: DIR/images/<sha256>.bin
// for the configuration and rule images, DIR/firmware/<sha256>.hex for
// firmware files. Lines are only ever appended; nothing is rewritten.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "text/sink.hpp"

// $XDG_STATE_HOME/korrimatic/journal, else ~/.local/state/korrimatic/journal;
// on Windows %LOCALAPPDATA%\korrimatic\journal. Empty when none can be named.
std::string journal_default_dir();

// DIR/journal.jsonl.
std::string journal_file_path(const std::string& dir);
// DIR/images/<sha>.bin: a configuration image or a rule image as sent.
std::string journal_image_path(const std::string& dir, const std::string& sha256_hex);
// DIR/firmware/<sha>.hex: a firmware file as it was read.
std::string journal_firmware_path(const std::string& dir, const std::string& sha256_hex);

// The SHA-256 of the bytes, as 64 lower-case hexadecimal digits.
std::string sha256_hex(const void* data, std::size_t size);

// The whole file's bytes; false when it cannot be read.
bool journal_read_file(const std::string& path, std::string& bytes);

// The entries of a journal, oldest first. A line that is not a whole JSON
// object (a line torn by a power loss while it was written) is skipped with a
// warning naming its line; every other line is kept. A journal that does not
// exist yet has no entries and gives no warning; one that cannot be read
// gives one warning.
struct JournalRead {
    std::vector<nlohmann::json> entries;
    int torn_lines = 0;
};
JournalRead journal_read(const std::string& dir, Sink& warnings);

// Stores the bytes under DIR/images or DIR/firmware (by `path` from the two
// functions above) unless a file of that name is already there; written to a
// temporary name, flushed and renamed, so a file of that name is always
// whole. False when it cannot be stored.
bool journal_store_file(const std::string& path, const void* data, std::size_t size);

// Appends the entry as one line: under a lock on the journal it reads the
// number of the last entry, sets "entry" to the next, writes the line with one
// write and flushes it to the disk. Returns the entry's number, or 0 when the
// journal cannot be written (the reason in `why`).
int journal_append(const std::string& dir, nlohmann::ordered_json& entry, std::string& why);
