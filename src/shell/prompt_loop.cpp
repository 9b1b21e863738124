#include "shell/prompt_loop.hpp"

#include <cstdio>
#include <cstring>
#include <string>

#include "config/config_record.hpp"
#include "shell/command_table.hpp"
#include "shell/console.hpp"
#include "shell/shell_state.hpp"
#include "shell/summary.hpp"
#include "text/tokens.hpp"

namespace {

constexpr std::size_t MAX_LINE = 255;

}  // namespace

CommandOutcome cmd_exit(char*) { return CommandOutcome::exit; }

CommandOutcome handle_line(const char* typed) {
    if (typed[0] == '\0') return CommandOutcome::done;  // an empty line: previous_line untouched
    if (std::strlen(typed) > MAX_LINE) {
        std::printf("\a\aError: command line too long (max %d characters)\n", static_cast<int>(MAX_LINE));
        return CommandOutcome::failed;
    }
    if (typed[0] == '.') {
        std::memcpy(shell.input_line, shell.previous_line, sizeof shell.input_line);
    } else {
        std::snprintf(shell.input_line, sizeof shell.input_line, "%s", typed);
        std::memcpy(shell.previous_line, shell.input_line, sizeof shell.previous_line);
    }
    char* cursor = shell.input_line;
    char* word = next_token(cursor, WORD_SEPARATORS);
    if (word == nullptr) return CommandOutcome::done;
    const PrefixMatch m = match_command(word);
    switch (m.result) {
    case Match::unknown: std::printf("\a\aError: unknown command: %s\n", word); return CommandOutcome::failed;
    case Match::ambiguous: std::printf("\a\aError: ambiguous command: %s\n", word); return CommandOutcome::failed;
    case Match::found: break;
    }
    const CommandEntry& row = command_table[m.index];
    if (row.run == nullptr) {
        std::printf("\a\aInternal Error: command %d is invalid!\n", row.id);
        return CommandOutcome::failed;
    }
    return row.run(cursor);
}

void start_shell() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::printf("Korrimatic PC Host Utility Version 2.4a - the Korrimatic host utility team\n");
    std::printf("Prepares, loads and maintains the Korrimatic APRS digipeater; type help for the commands.\n");
    load_config_defaults();
    show_summary();
    std::printf("\n");
}

int run_shell() {
    start_shell();
    std::string line;
    for (;;) {
        std::printf("Command> ");
        if (!console_read_line(line)) {
            std::printf("\n");
            return 1;
        }
        if (handle_line(line.c_str()) == CommandOutcome::exit) return 0;
    }
}
