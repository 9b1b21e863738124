// Placeholder handlers: replaced when this subsystem is built.
#include "shell/command_table.hpp"
#include "shell/commands.hpp"

void cmd_rules(char*) { report_invalid_command(CMD_RULES); }
void cmd_drules(char*) { report_invalid_command(CMD_DRULES); }
