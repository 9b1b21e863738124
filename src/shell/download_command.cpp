// The download command: asks its confirmations, tells the device to expect
// the download, runs it and ends the connection whatever the result.
#include <cstdio>
#include <cstring>

#include "shell/terminal_warnings.hpp"
#include "station/config_record.hpp"
#include "device/device_link.hpp"
#include "download/download.hpp"
#include "serial/serial_port.hpp"
#include "shell/commands.hpp"
#include "shell/console.hpp"
#include "shell/journal_commands.hpp"
#include "shell/shell_state.hpp"
#include "shell/transfer_journal.hpp"

namespace {

const char DOWNLOAD_WORD[] = "download\r\n";

// True when the operator agreed; otherwise the abort has been reported.
bool confirmed(ShellState& shell, const char* question) {
    switch (ask_confirmation(shell, question)) {
    case Answer::yes:
        return true;
    case Answer::end_of_input:
        shell.out->printf("\n");
        [[fallthrough]];
    case Answer::no:
        shell.out->printf("\a\aDownload Aborted!\n");
        return false;
    }
    return false;
}

}  // namespace

CommandOutcome cmd_download(ShellState& shell, char*) {
    if (shell.connected != 1) {
        shell.out->error("not Connected!\n");
        return CommandOutcome::failed;
    }
    // Without a Configuration file in force (none read, or the last one
    // failed), a yes sends the default configuration, never a half-read file.
    const Station& station = shell.station;
    const bool use_defaults = station.config_processed == 0;
    terminal_download_journal(shell, use_defaults ? defaults_keeping_rule_fields(station.config) : station.config,
                              station.rule_table);
    terminal_download_summary(shell, use_defaults ? defaults_keeping_rule_fields(station.config) : station.config);
    if (use_defaults && !confirmed(shell, "\a\aWarning: Configuration file has not yet been processed!\n"
                                   "Do you want to use the Default Configuration? (yes|no) [no]: ")) {
        return CommandOutcome::failed;
    }
    if (station.rules_processed == 0 &&
        !confirmed(shell, "\n\a\aWarning: Rules file has not yet been processed!\n"
                   "Do you  want to use the Implicit Rule only without specific rules?\n(yes|no) [no]: ")) {
        return CommandOutcome::failed;
    }
    if (write_port(shell.port, DOWNLOAD_WORD, static_cast<int>(std::strlen(DOWNLOAD_WORD))) <= 0) {
        shell.out->error("wrote Download command, got error on port %s\n", shell.port_name);
        return CommandOutcome::failed;
    }
    const ConfigRecord image = use_defaults ? defaults_keeping_rule_fields(station.config) : station.config;
    int packets = 0;
    const int r = dwn_download_image(shell.port, image, station.rule_table, *shell.out, &packets);
    journal_download_done(shell, image, r, packets);
    if (r != 0) shell.out->error("Download failed: %d\n", r);
    shell.out->printf("\a\aPlease Power OFF the Korrimatic and power it back on to RESET it.\n");
    shell.connected = 0;
    disconnect_device(shell.port, *shell.out);
    return r == 0 ? CommandOutcome::done : CommandOutcome::failed;
}
