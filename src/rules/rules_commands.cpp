// The rules and drules commands.
#include <cstdio>

#include "rules/rules_display.hpp"
#include "rules/rules_process.hpp"
#include "shell/command_args.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"

int rules_process(const char* file_name) {
    bool opened = false;
    const int result = rules_load(file_name, opened);
    if (opened) shell.rules_processed = result == 0 ? 1 : 0;
    return result;
}

CommandOutcome cmd_rules(char* args) {
    return file_command(args, rules_process, "\a\aError: Rule processing failed\n");
}

CommandOutcome cmd_drules(char*) {
    rules_display();
    return CommandOutcome::done;
}
