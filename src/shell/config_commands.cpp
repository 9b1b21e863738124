// The configure and dconfigure commands.
#include <cstdio>

#include "shell/terminal_warnings.hpp"
#include "config/config_display.hpp"
#include "config/config_parser.hpp"
#include "shell/command_args.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "shell/transfer_journal.hpp"

namespace {

// conf_process, and at a terminal the likely mistakes of a file read
// without error.
int configure_file(ShellState& shell, const char* path) {
    const int result = conf_process(shell.station, path, *shell.out);
    remember_config_file(shell, path, result == 0);
    if (result == 0) terminal_config_warnings(shell, path);
    return result;
}

}  // namespace

CommandOutcome cmd_configure(ShellState& shell, char* args) {
    return file_command(shell, args, configure_file, "\a\aError: Configuration processing failed\n");
}

CommandOutcome cmd_dconfigure(ShellState& shell, char*) {
    show_config(shell.station, *shell.out);
    return CommandOutcome::done;
}
