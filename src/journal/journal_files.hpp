// What the journal needs of the file system, apart by platform: a file
// written whole or not at all, and an append made under a lock.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Writes the bytes to `path` through a temporary name in the same folder,
// flushed to the disk before it is renamed. False, with the reason in `why`,
// when it cannot.
bool write_file_durably(const std::string& path, const void* data, std::size_t size, std::string& why);

// Opens (or creates) the file for appending, takes an exclusive lock on it,
// hands `make_line` what the file holds, writes what it returns with one
// write, flushes it to the disk and lets the lock go. False, with the reason
// in `why`, when any step fails.
bool append_under_lock(const std::string& path, const std::function<std::string(const std::string&)>& make_line,
                       std::string& why);

// The whole file; false when it cannot be read (`missing` says whether it
// does not exist).
bool read_whole_file(const std::string& path, std::string& contents, bool& missing);
