// The command handlers. Each lives in the subsystem that does its work, in a
// file of its own (*_command.cpp, *_commands.cpp); it is given the rest of the
// command line, takes its own argument tokens from it, tests its own
// preconditions on the shell state, prints its own messages and says how the
// command ended.
#pragma once

enum class CommandOutcome {
    done,    // the command did its work
    failed,  // a refusal, an error, or an operator's no to its question
    exit,    // the program ends
};

using CommandHandler = CommandOutcome (*)(char* args);

CommandOutcome cmd_summary(char* args);
CommandOutcome cmd_exit(char* args);
CommandOutcome cmd_angles(char* args);
CommandOutcome cmd_configure(char* args);
CommandOutcome cmd_dconfigure(char* args);
CommandOutcome cmd_rules(char* args);
CommandOutcome cmd_drules(char* args);
CommandOutcome cmd_connect(char* args);
CommandOutcome cmd_disconnect(char* args);
CommandOutcome cmd_baud(char* args);
CommandOutcome cmd_download(char* args);
CommandOutcome cmd_firmware(char* args);
