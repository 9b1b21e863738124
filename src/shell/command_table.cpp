#include "shell/command_table.hpp"

#include <cstring>
#include <strings.h>

const CommandEntry command_table[COMMAND_COUNT] = {
    {1, CMD_SUMMARY, "help", "", "Displays this summary (alias ?)"},
    {0, CMD_SUMMARY, "?", "", "Displays this summary"},
    {1, CMD_REPEAT, ".", "", "Repeats the previous command"},
    {1, CMD_ANGLES, "angles", "", "Displays the Angles format used for Lat and Lon"},
    {1, CMD_BAUD, "baud", "baud",
     "Changes the baud rates on host and Korrimatic\n\t\t\t\tonce connected. Default [ ]"},
    {1, CMD_CONFIGURE, "configure", "file_name", "Reads a Configuration file"},
    {1, CMD_DCONFIGURE, "dconfigure", "", "Displays the Configuration"},
    {1, CMD_RULES, "rules", "file_name", "Reads a Rules file"},
    {1, CMD_DRULES, "drules", "", "Displays the Rules"},
    {1, CMD_CONNECT, "connect", "com_port [baud]",
     "Connect to Korrimatic at optional baud\n\t\t\t\t(8 bits No Parity 1 Stop)"},
    {1, CMD_DISCONNECT, "disconnect", "", "Disconnect from the Korrimatic"},
    {1, CMD_DOWNLOAD, "download", "", "Download Configuration and Rules to Korrimatic"},
    {1, CMD_FIRMWARE, "firmware", "com_port file_name", "Update Korrimatic firmware from firmware file"},
    {1, CMD_EXIT, "exit", "", "Exits this program (aliases quit, x)"},
    {0, CMD_EXIT, "quit", "", "Same as exit"},
    {0, CMD_EXIT, "x", "", "Same as exit"},
};

MatchResult match_command(const char* word, const CommandEntry** entry) {
    *entry = nullptr;
    std::size_t n = std::strlen(word);
    if (n == 0 || n >= 40) return MatchResult::unknown;
    for (const CommandEntry& row : command_table) {
        if (n > std::strlen(row.word)) continue;
        if (strncasecmp(word, row.word, n) != 0) continue;
        if (*entry != nullptr) return MatchResult::ambiguous;
        *entry = &row;
    }
    return *entry != nullptr ? MatchResult::found : MatchResult::unknown;
}
