// The parsers' own messages, taken from standard output while a file is
// read, and written again as FILE:LINE: error: lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Runs `read` with standard output going into a buffer, and returns what it
// printed. What a parser prints for one file is a few lines at most.
std::string printed_by(const std::function<void()>& read);

// The messages of a failed Configuration file ("Error: line N: ...", and the
// lines that come before it, such as the angle parser's) as
// "FILE:N: error: ..." lines, without bells.
std::vector<std::string> config_error_lines(const std::string& printed, const std::string& file);

// The same for a Rules file, whose messages read "Error: FILE[N]: ...:" with
// the line quoted on the next line.
std::vector<std::string> rules_error_lines(const std::string& printed, const std::string& file);
