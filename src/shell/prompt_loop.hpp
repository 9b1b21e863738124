#pragma once

#include "shell/commands.hpp"

struct ShellState;

// How the prompt loop runs: at the operator's console, or through a script
// whose lines are shown after their prompts.
struct ShellRun {
    bool script = false;
    bool keep_going = false;  // a script runs every line, even after a failed command
    const char* script_name = "-";
};

// Start-up and the prompt loop. Returns the process exit status: 0 after
// exit, quit or x; 1 at the end of standard input. A script: 0 when every
// command succeeded and it ended or ran exit; 2 at its first failed command
// (with keep_going: at its end, when any failed).
int run_shell(ShellState& shell, const ShellRun& run = {});

// The exit status of a script with a failed command.
inline constexpr int SCRIPT_FAILED = 2;

// The banner, the default configuration and the command summary.
void start_shell(ShellState& shell);

// Handles one console line as typed (without its newline): the repeat rule,
// matching and the command's handler. An empty line, or one of separators
// only, is done; an unknown, ambiguous or too long command has failed.
CommandOutcome handle_line(ShellState& shell, const char* typed);
