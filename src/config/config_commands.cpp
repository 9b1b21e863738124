// The configure and dconfigure commands.
#include <cstdio>

#include "check/terminal_warnings.hpp"
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

namespace {

// conf_process, and at a terminal the likely mistakes of a file read
// without error.
int configure_file(const char* path) {
    const int result = conf_process(path);
    if (result == 0) terminal_config_warnings(path);
    return result;
}

}  // namespace

CommandOutcome cmd_configure(char* args) {
    return file_command(args, configure_file, "\a\aError: Configuration processing failed\n");
}

CommandOutcome cmd_dconfigure(char*) {
    show_config();
    return CommandOutcome::done;
}
