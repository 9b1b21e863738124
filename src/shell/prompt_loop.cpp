#include "shell/prompt_loop.hpp"

#include <cstdio>
#include <cstring>
#include <string>

#include "config/config_record.hpp"
#include "shell/command_table.hpp"
#include "shell/commands.hpp"
#include "shell/console.hpp"
#include "shell/shell_state.hpp"
#include "shell/summary.hpp"
#include "shell/tokens.hpp"

namespace {

constexpr std::size_t MAX_LINE = 255;

// Runs a matched command; returns true for the exit row.
bool dispatch(int id, char* args) {
    switch (id) {
    case CMD_SUMMARY: show_summary(); return false;
    case CMD_EXIT: return true;
    case CMD_ANGLES: cmd_angles(args); return false;
    case CMD_CONFIGURE: cmd_configure(args); return false;
    case CMD_DCONFIGURE: cmd_dconfigure(args); return false;
    case CMD_RULES: cmd_rules(args); return false;
    case CMD_DRULES: cmd_drules(args); return false;
    case CMD_CONNECT: cmd_connect(args); return false;
    case CMD_DISCONNECT: cmd_disconnect(args); return false;
    case CMD_BAUD: cmd_baud(args); return false;
    case CMD_DOWNLOAD: cmd_download(args); return false;
    case CMD_FIRMWARE: cmd_firmware(args); return false;
    default: report_invalid_command(id); return false;
    }
}

}  // namespace

void report_invalid_command(int id) { std::printf("\a\aInternal Error: command %d is invalid!\n", id); }

bool handle_line(const char* typed) {
    if (typed[0] == '\0') return false;  // an empty line: previous_line untouched
    if (std::strlen(typed) > MAX_LINE) {
        std::printf("\a\aError: command line too long (max %d characters)\n", static_cast<int>(MAX_LINE));
        return false;
    }
    if (typed[0] == '.') {
        std::memcpy(shell.input_line, shell.previous_line, sizeof shell.input_line);
    } else {
        std::snprintf(shell.input_line, sizeof shell.input_line, "%s", typed);
        std::memcpy(shell.previous_line, shell.input_line, sizeof shell.previous_line);
    }
    char* cursor = shell.input_line;
    char* word = next_token(cursor, WORD_SEPARATORS);
    if (word == nullptr) return false;
    const CommandEntry* entry = nullptr;
    switch (match_command(word, &entry)) {
    case MatchResult::unknown: std::printf("\a\aError: unknown command: %s\n", word); return false;
    case MatchResult::ambiguous: std::printf("\a\aError: ambiguous command: %s\n", word); return false;
    case MatchResult::found: break;
    }
    return dispatch(entry->id, cursor);
}

int run_shell() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::printf("Korrimatic PC Host Utility Version 2.4a - the Korrimatic host utility team\n");
    std::printf("Prepares, loads and maintains the Korrimatic APRS digipeater; type help for the commands.\n");
    load_config_defaults();
    show_summary();
    std::printf("\n");
    std::string line;
    for (;;) {
        std::printf("Command> ");
        if (!console_read_line(line)) {
            std::printf("\n");
            return 1;
        }
        if (handle_line(line.c_str())) return 0;
    }
}
