// Reading the operator's Configuration file into the working configuration
// record.
#pragma once

#include <cstdio>

#include "text/line_reader.hpp"

class Sink;

struct Station;

// Result codes of conf_process.
inline constexpr int CONF_NO_FILE_NAME = -1;
inline constexpr int CONF_CANNOT_OPEN = -2;  // also: the file cannot be read
inline constexpr int CONF_BAD_KEYWORD = -7;
inline constexpr int CONF_IN_COMMENT = -8;
inline constexpr int CONF_BAD_ARGUMENT = -11;
inline constexpr int CONF_BAD_LATITUDE = -12;   // a position off the Earth
inline constexpr int CONF_BAD_LONGITUDE = -13;

// Processes the file named `path` into the station's configuration record:
// reloads the defaults (keeping the two rule fields), sets a field for every
// keyword line and stops at the first faulty line with its message. 0 when
// the whole file was processed; then the station's configuration-processed
// flag is set and the item count printed. A file that fails clears the flag:
// what it set stays in the record (and shows), but it is not in force. A file
// that cannot be opened changes nothing. Every message goes to `out`.
int conf_process(Station& station, const char* path, Sink& out);

// conf_process without the flag: `opened` tells whether the file was opened
// (and the record reloaded from the defaults).
int conf_load(Station& station, const char* path, bool& opened, Sink& out);

// The line loop over an open file, after the defaults have been loaded;
// `path` names the file in messages.
int conf_process_lines(Station& station, std::FILE* file, const char* path, Sink& out);

// The reading of a Configuration file's lines: at most LINE_LENGTH_MAX
// characters a line, and a line end right after a full piece is an empty line.
LineReader config_line_reader(std::FILE* file);
