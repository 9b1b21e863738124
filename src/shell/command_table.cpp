#include "shell/command_table.hpp"

#include <cstring>

const CommandEntry command_table[COMMAND_COUNT] = {
    {1, CMD_SUMMARY, "help", "", "Displays this summary (alias ?)", cmd_summary},
    {0, CMD_SUMMARY, "?", "", "Displays this summary", cmd_summary},
    {1, CMD_REPEAT, ".", "", "Repeats the previous command", nullptr},
    {1, CMD_ANGLES, "angles", "", "Displays the Angles format used for Lat and Lon", cmd_angles},
    {1, CMD_BAUD, "baud", "baud",
     "Changes the baud rates on host and Korrimatic\n\t\t\t\tonce connected. Default [ ]", cmd_baud},
    {1, CMD_CONFIGURE, "configure", "file_name", "Reads a Configuration file", cmd_configure},
    {1, CMD_DCONFIGURE, "dconfigure", "", "Displays the Configuration", cmd_dconfigure},
    {1, CMD_RULES, "rules", "file_name", "Reads a Rules file", cmd_rules},
    {1, CMD_DRULES, "drules", "", "Displays the Rules", cmd_drules},
    {1, CMD_CONNECT, "connect", "com_port [baud]",
     "Connect to Korrimatic at optional baud\n\t\t\t\t(8 bits No Parity 1 Stop)", cmd_connect},
    {1, CMD_DISCONNECT, "disconnect", "", "Disconnect from the Korrimatic", cmd_disconnect},
    {1, CMD_DOWNLOAD, "download", "", "Download Configuration and Rules to Korrimatic", cmd_download},
    {1, CMD_FIRMWARE, "firmware", "com_port file_name", "Update Korrimatic firmware from firmware file", cmd_firmware},
    {1, CMD_EXIT, "exit", "", "Exits this program (aliases quit, x)", cmd_exit},
    {0, CMD_EXIT, "quit", "", "Same as exit", cmd_exit},
    {0, CMD_EXIT, "x", "", "Same as exit", cmd_exit},
};

PrefixMatch match_command(const char* word) {
    if (std::strlen(word) > COMMAND_WORD_MAX) return {};
    return prefix_match(word, command_table, [](const CommandEntry& row) { return row.word; });
}
