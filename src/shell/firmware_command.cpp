// The firmware command: refused while connected; asks before it touches the
// device and reports how the update ended. At a terminal the file is checked
// before the question, and a failure that left the device as it was says so.
#include <cstdio>
#include <string>

#include "firmware/firmware_file_check.hpp"
#include "firmware/firmware_update.hpp"
#include "shell/command_args.hpp"
#include "shell/commands.hpp"
#include "shell/console.hpp"
#include "shell/file_name_hint.hpp"
#include "shell/shell_state.hpp"
#include "shell/transfer_journal.hpp"
#include "journal/journal.hpp"
#include "text/tokens.hpp"

namespace {

CommandOutcome report_failure(ShellState& shell, int result, bool at_terminal) {
    shell.out->printf("Error: Firmware update failed!\n\tPower cycle Korrimatic and try again!\n");
    if (at_terminal && firmware_untouched(result)) {
        shell.out->printf("\tNothing reached the Korrimatic: its firmware was not touched.\n");
    }
    offer_file_name_hint(*shell.out, shell.firmware_file);
    return CommandOutcome::failed;
}

}  // namespace

CommandOutcome cmd_firmware(ShellState& shell, char* args) {
    if (shell.connected == 1) {
        shell.out->error("already Connected, Disconnect first!\n");
        return CommandOutcome::failed;
    }
    char* cursor = args;
    const char* port_token = next_token(cursor, WORD_SEPARATORS);
    if (port_token == nullptr) {
        shell.out->error("missing arguments: com_port file_name\n");
        return CommandOutcome::failed;
    }
    char port_name[sizeof shell.port_name];
    if (!port_argument(*shell.out, port_token, port_name, sizeof port_name)) return CommandOutcome::failed;
    const char* file_token = next_token(cursor, FILE_NAME_SEPARATORS);
    if (file_token == nullptr) {
        shell.out->error("missing argument: file_name\n");
        return CommandOutcome::failed;
    }
    std::snprintf(shell.firmware_file, sizeof shell.firmware_file, "%s", file_token);
    // From a pipe the question comes first, as it always has.
    const bool at_terminal = console_at_terminal(shell.console);
    if (at_terminal) {
        if (const int result = check_firmware_file(shell.firmware_file, *shell.out); result != 0) {
            return report_failure(shell, result, at_terminal);
        }
    }

    Answer answer = ask_confirmation(
        shell, "\a\aWARNING! This will alter the Korrimatic firmware!\nDo you want to continue (n or y)? [n]: ");
    if (answer != Answer::yes) {
        if (answer == Answer::end_of_input) shell.out->printf("\n");
        shell.out->printf("Korrimatic Firmware will NOT be updated!\n");
        return CommandOutcome::failed;
    }
    std::snprintf(shell.port_name, sizeof shell.port_name, "%s", port_name);
    // The progress line runs on the wall clock.
    // The file as it is sent, for the journal (the update holds every line
    // it sends against what it checked).
    std::string hex_bytes;
    if (!shell.journal_dir.empty()) journal_read_file(shell.firmware_file, hex_bytes);
    FirmwareTransferReport report;
    const OperatorWait wait_for_enter = [&shell] { console_wait_for_enter(shell); };
    const int result = firmware_update(shell.port, shell.port_name, shell.firmware_file, wait_for_enter,
                                       FirmwareClock{}, *shell.out, &report);
    journal_firmware_done(shell, report, result, hex_bytes);
    if (result != 0) return report_failure(shell, result, at_terminal);
    shell.out->printf("\a\aFirmware update succeeded!\n\nPower cycle Korrimatic!\n"
                      "Don't forget to Configure Operating Parameters, Process Rules\n"
                      "and Download these to the Korrimatic!\n");
    return CommandOutcome::done;
}
