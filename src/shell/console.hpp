// Reading lines from the operator's console.
#pragma once

#include <cstdio>
#include <string>

// The console input; standard input unless a test sets another stream.
extern std::FILE* console_in;

// Reads one whole line, without its newline, into `line`. Returns false at the
// end of input when nothing at all was read.
bool console_read_line(std::string& line);

enum class Answer { yes, no, end_of_input };

// Prints the question (no newline) and reads one whole answer line; only an
// answer whose first character is 'y' or 'Y' is yes. The whole line is
// consumed, so no part of an answer is ever run as a command.
Answer ask_confirmation(const char* question);
