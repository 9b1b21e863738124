// The command handlers. Each lives in the subsystem that does its work, in a
// file of its own (*_command.cpp, *_commands.cpp); it is given the shell's state and
// the rest of the command line, takes its own argument tokens from it, tests its own
// preconditions on the shell state, prints its own messages and says how the
// command ended.
#pragma once

struct ShellState;

enum class CommandOutcome {
    done,    // the command did its work
    failed,  // a refusal, an error, or an operator's no to its question
    exit,    // the program ends
};

using CommandHandler = CommandOutcome (*)(ShellState& shell, char* args);

CommandOutcome cmd_summary(ShellState& shell, char* args);
CommandOutcome cmd_exit(ShellState& shell, char* args);
CommandOutcome cmd_angles(ShellState& shell, char* args);
CommandOutcome cmd_configure(ShellState& shell, char* args);
CommandOutcome cmd_dconfigure(ShellState& shell, char* args);
CommandOutcome cmd_rules(ShellState& shell, char* args);
CommandOutcome cmd_drules(ShellState& shell, char* args);
CommandOutcome cmd_connect(ShellState& shell, char* args);
CommandOutcome cmd_disconnect(ShellState& shell, char* args);
CommandOutcome cmd_baud(ShellState& shell, char* args);
CommandOutcome cmd_download(ShellState& shell, char* args);
CommandOutcome cmd_firmware(ShellState& shell, char* args);
