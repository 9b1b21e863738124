// The command table, and matching a command word against it.
#pragma once

#include <cstddef>

struct CommandEntry {
    int listed;           // printed in the command summary
    int id;               // what the dispatch switches on
    const char* word;
    const char* arguments;
    const char* comment;
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

enum class MatchResult { found, unknown, ambiguous };

// Matches a command word, ignoring case, as a leading part of the table's
// words. A word that fits two rows is ambiguous, even when it equals one of
// them; a word of 40 characters or more matches nothing.
MatchResult match_command(const char* word, const CommandEntry** entry);
