// Reading a Rules file into the rule table.
#pragma once

#include <cstdio>

#include "rules/rule_line.hpp"

// Reads the named Rules file, checks every line and fills the rule table,
// config.rule_count and config.implicit_action; sets shell.rules_processed when
// the whole file was read without error. Stops at the first line in error and
// returns its negative code; 0 on success. Prints its own messages.
int rules_process(const char* file_name);

// The part of rules_process after the file is open: resets the table, reads
// the file to its end or to the first error, and commits on success. The file
// is not closed; file_name is only used in messages.
int rules_read(std::FILE* file, const char* file_name);

enum class RuleRead { line, end, error };

// Reads the next line of at most 255 characters, without its line end. A
// longer line comes in pieces of 255 characters; the line end after a full
// piece belongs to it and is not read as an empty line of its own.
RuleRead read_rule_line(std::FILE* file, char (&buffer)[RULE_LINE_SIZE]);
