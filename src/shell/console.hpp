// Reading lines from the operator's console.
#pragma once

#include <cstdio>
#include <string>

// The console input; standard input unless a test sets another stream.
extern std::FILE* console_in;

// Reads one whole line, everything up to the next line feed, into `line`:
// the line feed goes, and a carriage return right before it (a script saved
// with CR LF line ends); a NUL byte ends the text (the rest of that line is
// read and ignored). Returns false at the end of input when nothing at all
// was read.
bool console_read_line(std::string& line);

enum class Answer { yes, no, end_of_input };

// Prints the question (no newline) and reads one whole answer line; only an
// answer whose first character is 'y' or 'Y' is yes. The whole line is
// consumed, so no part of an answer is ever run as a command.
Answer ask_confirmation(const char* question);
