#pragma once

// Start-up and the prompt loop. Returns the process exit status: 0 after
// exit, quit or x; 1 at the end of standard input.
int run_shell();

// Handles one console line as typed (without its newline). Returns true when
// the line ends the program.
bool handle_line(const char* typed);
