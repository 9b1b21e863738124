// The configure and dconfigure commands.
#include <cstdio>

#include "config/config_display.hpp"
#include "config/config_parser.hpp"
#include "shell/command_args.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"

int conf_process(const char* path) {
    bool opened = false;
    const int result = conf_load(path, opened);
    // Only a file read to its end without error is in force.
    if (opened) shell.config_processed = result == 0 ? 1 : 0;
    return result;
}

CommandOutcome cmd_configure(char* args) {
    return file_command(args, conf_process, "\a\aError: Configuration processing failed\n");
}

CommandOutcome cmd_dconfigure(char*) {
    show_config();
    return CommandOutcome::done;
}
