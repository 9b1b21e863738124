// Placeholder handlers: replaced when this subsystem is built.
#include "shell/command_table.hpp"
#include "shell/commands.hpp"

void cmd_download(char*) { report_invalid_command(CMD_DOWNLOAD); }
