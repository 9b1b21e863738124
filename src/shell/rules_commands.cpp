// The rules and drules commands.
#include <cstdio>

#include "shell/terminal_warnings.hpp"
#include "rules/rules_display.hpp"
#include "rules/rules_process.hpp"
#include "shell/command_args.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "shell/transfer_journal.hpp"

namespace {

// rules_process, and at a terminal the likely mistakes of a file read
// without error.
int rules_file(ShellState& shell, const char* file_name) {
    const int result = rules_process(shell.station, file_name, *shell.out);
    remember_rules_file(shell, file_name, result == 0);
    if (result == 0) terminal_rules_warnings(shell, file_name);
    return result;
}

}  // namespace

CommandOutcome cmd_rules(ShellState& shell, char* args) {
    return file_command(shell, args, rules_file, "\a\aError: Rule processing failed\n");
}

CommandOutcome cmd_drules(ShellState& shell, char*) {
    rules_display(shell.station, *shell.out);
    return CommandOutcome::done;
}
