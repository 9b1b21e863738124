// The firmware file's check on its own, as an update makes it before it
// opens the port: a command can have the file checked before it asks the
// operator anything.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "firmware/firmware_codes.hpp"
#include "text/sink.hpp"

// The open file checked by inhexverify (its record lines kept in `records`
// when given): the number of record lines, or, after the update's messages,
// FIRMWARE_CANNOT_OPEN or FIRMWARE_FILE_FAULTY.
int verify_firmware_file(std::FILE* file, const char* file_name, std::vector<std::string>* records, Sink& out);

// 0 when the file can be opened and inhexverify accepts it; else, after the
// messages the update would print, its FIRMWARE_* result
// (FIRMWARE_NO_FILE_NAME, FIRMWARE_CANNOT_OPEN or FIRMWARE_FILE_FAULTY).
int check_firmware_file(const char* file_name, Sink& out);

// True for a result of the update that ended before any byte was written to
// the device: its firmware is as it was.
bool firmware_untouched(int result);
