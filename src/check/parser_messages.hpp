// The parsers' own messages, as they printed them into a StringSink while a
// file was read, written again as FILE:LINE: error: lines.
#pragma once

#include <string>
#include <vector>

// The messages of a failed Configuration file ("Error: line N: ...", and the
// lines that come before it, such as the angle parser's) as
// "FILE:N: error: ..." lines, without bells.
std::vector<std::string> config_error_lines(const std::string& printed, const std::string& file);

// The same for a Rules file, whose messages read "Error: FILE[N]: ...:" with
// the line quoted on the next line.
std::vector<std::string> rules_error_lines(const std::string& printed, const std::string& file);

// Adds `hint`, what the terminal says after the same messages, to the error
// lines of one file as "FILE:N: note: ...", with the head of the last of
// them. An empty hint, or no error line, adds nothing.
void add_note(std::vector<std::string>& error_lines, const std::string& hint);
