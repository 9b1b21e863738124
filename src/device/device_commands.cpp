// Placeholder handlers: replaced when this subsystem is built.
#include "shell/command_table.hpp"
#include "shell/commands.hpp"

void cmd_connect(char*) { report_invalid_command(CMD_CONNECT); }
void cmd_disconnect(char*) { report_invalid_command(CMD_DISCONNECT); }
void cmd_baud(char*) { report_invalid_command(CMD_BAUD); }
