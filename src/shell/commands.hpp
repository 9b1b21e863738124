// The command handlers. Each lives in the subsystem that does its work; it is
// given the rest of the command line, takes its own argument tokens from it,
// tests its own preconditions and prints its own messages.
#pragma once

void cmd_angles(char* args);
void cmd_configure(char* args);
void cmd_dconfigure(char* args);
void cmd_rules(char* args);
void cmd_drules(char* args);
void cmd_connect(char* args);
void cmd_disconnect(char* args);
void cmd_baud(char* args);
void cmd_download(char* args);
void cmd_firmware(char* args);

// What a command id without a handler prints.
void report_invalid_command(int id);
