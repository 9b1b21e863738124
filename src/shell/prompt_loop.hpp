#pragma once

#include "shell/commands.hpp"

// Start-up and the prompt loop. Returns the process exit status: 0 after
// exit, quit or x; 1 at the end of standard input.
int run_shell();

// The banner, the default configuration and the command summary.
void start_shell();

// Handles one console line as typed (without its newline): the repeat rule,
// matching and the command's handler. An empty line, or one of separators
// only, is done; an unknown, ambiguous or too long command has failed.
CommandOutcome handle_line(const char* typed);
