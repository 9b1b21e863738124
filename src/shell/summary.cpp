#include "shell/summary.hpp"

#include <cstdio>

#include "station/config_record.hpp"
#include "device/device_rates.hpp"
#include "shell/command_table.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"

void show_summary(ShellState& shell) {
    const long d = default_connect_baud(shell.station);
    shell.out->printf("\n\t\tCommand Summary:\n%-10s %-20s %s\n", "Command", "Arguments", "Comments");
    for (const CommandEntry& row : command_table) {
        if (!row.listed) continue;
        shell.out->printf("%-10s %-20s %s\n", row.word, row.arguments, row.comment);
        if (row.id == CMD_BAUD) {
            shell.out->printf("%-10s Valid Baud Rates:\t", "");
            for (long rate : device_baud_rates) {
                shell.out->printf(rate == d ? "[%ld] " : "%ld ", rate);
            }
            shell.out->printf("\n\n");
        }
    }
}

CommandOutcome cmd_summary(ShellState& shell, char*) {
    show_summary(shell);
    return CommandOutcome::done;
}
