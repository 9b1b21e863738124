// Placeholder handlers: replaced when this subsystem is built.
#include "shell/command_table.hpp"
#include "shell/commands.hpp"

void cmd_configure(char*) { report_invalid_command(CMD_CONFIGURE); }
void cmd_dconfigure(char*) { report_invalid_command(CMD_DCONFIGURE); }
