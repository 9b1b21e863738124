#include "shell/prompt_loop.hpp"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "station/config_record.hpp"
#include "device/device_link.hpp"
#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"
#include "shell/command_table.hpp"
#include "shell/console.hpp"
#include "shell/line_editor.hpp"
#include "shell/port_failure.hpp"
#include "shell/script_summary.hpp"
#include "shell/shell_state.hpp"
#include "shell/summary.hpp"
#include "shell/version.hpp"
#include "text/line_reader.hpp"
#include "text/suggest.hpp"
#include "text/tokens.hpp"

namespace {

constexpr std::size_t MAX_LINE = LINE_LENGTH_MAX;

}  // namespace

CommandOutcome cmd_exit(ShellState&, char*) { return CommandOutcome::exit; }

CommandOutcome handle_line(ShellState& shell, const char* typed) {
    if (typed[0] == '\0') return CommandOutcome::done;  // an empty line: previous_line untouched
    if (std::strlen(typed) > MAX_LINE) {
        shell.out->error("command line too long (max %d characters)\n", static_cast<int>(MAX_LINE));
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
    case Match::unknown:
        shell.out->error("unknown command: %s\n", word);
        shell.out->hints().offer(did_you_mean(word, command_table, [](const CommandEntry& row) { return row.word; }));
        return CommandOutcome::failed;
    case Match::ambiguous:
        shell.out->error("ambiguous command: %s\n", word);
        shell.out->hints().offer(
            candidates_hint(word, command_table, [](const CommandEntry& row) { return row.word; }));
        return CommandOutcome::failed;
    case Match::found: break;
    }
    const CommandEntry& row = command_table[m.index];
    if (row.run == nullptr) {
        shell.out->printf("\a\aInternal Error: command %d is invalid!\n", row.id);
        return CommandOutcome::failed;
    }
    return row.run(shell, cursor);
}

void start_shell(ShellState& shell) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    shell.out->printf("Korrimatic PC Host Utility %s - the Korrimatic host utility team\n", PRODUCT_VERSION);
    shell.out->printf("Prepares, loads and maintains the Korrimatic APRS digipeater; type help for the commands.\n");
    load_config_defaults(shell.station.config);
    show_summary(shell);
    shell.out->printf("\n");
}

namespace {

constexpr int64_t IDLE_EXIT_WINDOW_MS = 2000;

// At a terminal a lost port ends the command, not the program.
CommandOutcome handle_line_keeping_program(ShellState& shell, const char* typed) {
    try {
        return handle_line(shell, typed);
    } catch (const PortLost&) {
        shell.connected = 0;
        disconnect_device(shell.port, *shell.out);
        shell.out->hints().offer(
            "the port went away (an adapter unplugged?): plug it in again, then run the command again");
        return CommandOutcome::failed;
    }
}

int64_t monotonic_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int run_shell(ShellState& shell, const ShellRun& run) {
    start_shell(shell);
    if (!run.script) console_start_editing(shell.console);
    shell.console.echo = run.script;
    shell.port.set_read_failure(read_failure_handler({!run.script && shell.out->operator_at_terminal(), {}}));
    shell.port.set_out(*shell.out);  // one sink for the commands and the port
    std::string line;
    bool any_failed = false;
    FailedLines failed_lines;
    int64_t idle_interrupt_ms = -1;  // the last Ctrl-C at an empty prompt
    const auto finished = [&](int interactive_status) {
        line_editor_stop();
        if (!run.script) return interactive_status;
        if (run.keep_going) std::fputs(failed_lines.summary(run.script_name).c_str(), stderr);
        return any_failed ? SCRIPT_FAILED : 0;
    };
    for (;;) {
        clear_interrupts();
        const ConsoleRead read = console_read_command(shell, "Command> ", line);
        if (read == ConsoleRead::end) {
            shell.out->printf("\n");
            return finished(1);
        }
        if (read == ConsoleRead::interrupted) {
            // Ctrl-C drops the line; twice at an empty prompt, it ends the
            // program as the end of input does.
            shell.out->printf("^C\n");
            if (!line.empty()) {
                idle_interrupt_ms = -1;
                continue;
            }
            const int64_t now = monotonic_ms();
            if (idle_interrupt_ms >= 0 && now - idle_interrupt_ms <= IDLE_EXIT_WINDOW_MS) {
                shell.out->printf("\n");
                return finished(1);
            }
            idle_interrupt_ms = now;
            shell.out->printf("(Ctrl-C again within 2 seconds, Ctrl-D or exit ends the program)\n");
            continue;
        }
        idle_interrupt_ms = -1;
        const unsigned long line_number = shell.console.lines_read;
        const CommandOutcome outcome = handle_line_keeping_program(shell, line.c_str());
        shell.out->show_hint();
        if (outcome == CommandOutcome::exit) return finished(0);
        if (outcome == CommandOutcome::failed && run.script) {
            any_failed = true;
            failed_lines.add(line_number, line);
            if (!run.keep_going) {
                std::fprintf(stderr, "korrimatic: %s: line %lu failed, the script stops\n", run.script_name,
                             line_number);
                return finished(SCRIPT_FAILED);
            }
        }
    }
}
