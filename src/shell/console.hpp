// Reading lines from the operator's console.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

struct ShellState;

// The operator's console as the shell reads it.
struct Console {
    std::FILE* in = stdin;                // standard input unless a test or a script sets another stream
    bool echo = false;                    // lines read are printed after their prompt, as a script shows them
    bool terminal = false;                // console_start_editing found a terminal
    std::optional<bool> terminal_forced;  // a test's answer for console_at_terminal, when set
    unsigned long lines_read = 0;         // lines read without editing (a script's line number)
};

// Reads one whole line, everything up to the next line feed, into `line`:
// the line feed goes, and a carriage return right before it (a script saved
// with CR LF line ends); a NUL byte ends the text (the rest of that line is
// read and ignored). Returns false at the end of input when nothing at all
// was read.
bool console_read_line(std::FILE* in, std::string& line);

// Line editing, when standard input and output are both terminals: starts
// the editor with the history file and has Ctrl-C handled. True when it runs.
bool console_start_editing(Console& console);
// True when the operator's console is a terminal (standard input and output
// both, as console_start_editing found them), not a script or a pipe.
bool console_at_terminal(const Console& console);

enum class ConsoleRead { line, interrupted, end };

// Shows the prompt and reads a command line: with editing at a terminal,
// else as console_read_line does. `interrupted` (Ctrl-C) leaves the text
// that was dropped in `line`.
ConsoleRead console_read_command(ShellState& shell, const char* prompt, std::string& line);

enum class Answer { yes, no, end_of_input };

// Prints the question (no newline) and reads one whole answer line; only an
// answer whose first character is 'y' or 'Y' is yes. The whole line is
// consumed, so no part of an answer is ever run as a command. A Ctrl-C at
// the question counts as the end of input. Answers are never kept in the
// history.
Answer ask_confirmation(ShellState& shell, const char* question);

// Reads the line that answers "Type the Enter key" (its content and an end
// of input are ignored); a Ctrl-C there cancels the command.
void console_wait_for_enter(ShellState& shell);
