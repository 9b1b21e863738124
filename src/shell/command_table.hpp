// The command table, and matching a command word against it.
#pragma once

#include <cstddef>

#include "shell/commands.hpp"
#include "text/prefix_match.hpp"

struct CommandEntry {
    int listed;           // printed in the command summary
    int id;               // the command's number
    const char* word;
    const char* arguments;
    const char* comment;
    CommandHandler run;   // nullptr: the id has no handler
};

enum CommandId {
    CMD_DOWNLOAD = 0,
    CMD_FIRMWARE = 1,
    CMD_BAUD = 5,
    CMD_EXIT = 8,
    CMD_SUMMARY = 22,
    CMD_DCONFIGURE = 23,
    CMD_DRULES = 24,
    CMD_ANGLES = 26,
    CMD_CONFIGURE = 28,
    CMD_RULES = 29,
    CMD_CONNECT = 30,
    CMD_DISCONNECT = 31,
    CMD_REPEAT = 33,
};

inline constexpr std::size_t COMMAND_COUNT = 16;
extern const CommandEntry command_table[COMMAND_COUNT];

// The longest command word held: a first token of 40 characters or more
// matches nothing.
inline constexpr std::size_t COMMAND_WORD_MAX = 39;

// Matches a command word, ignoring case, as a leading part of the table's
// words. A word that fits two rows is ambiguous, even when it equals one of
// them.
PrefixMatch match_command(const char* word);
