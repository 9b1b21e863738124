// Reading a Rules file into the rule table.
#pragma once

#include <cstdio>

#include "text/line_reader.hpp"

#include "rules/rule_line.hpp"
#include "rules/rules_codes.hpp"

class Sink;
struct Station;

// Reads the named Rules file, checks every line and fills the station's rule
// table, config.rule_count and config.implicit_action; its rules_processed is
// cleared once the file is open and set when the whole file was read without
// error. Stops at the first line in error and returns its RULES_* code; 0 on
// success. Prints its own messages to `out`. A file that fails leaves no rules and the
// implicit action pass: nothing it asked for is in force. A file that cannot
// be opened changes nothing.
int rules_process(Station& station, const char* file_name, Sink& out);

// rules_process without the flag: `opened` tells whether the file was
// opened (and the table reset).
int rules_load(Station& station, const char* file_name, bool& opened, Sink& out);

// The part after the file is open: resets the table, reads the file to its
// end or to the first error, and commits the rule count on success. The file
// is not closed; file_name is only used in messages.
int rules_read(Station& station, std::FILE* file, const char* file_name, Sink& out);

// The reading of a Rules file's lines: at most LINE_LENGTH_MAX characters a
// line, and a line end right after a full piece belongs to it.
LineReader rules_line_reader(std::FILE* file);
