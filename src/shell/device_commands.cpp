// The connect, disconnect and baud commands.
#include <cstdio>

#include "station/config_record.hpp"
#include "device/device_link.hpp"
#include "device/device_replies.hpp"
#include "shell/command_args.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "text/numbers.hpp"
#include "text/tokens.hpp"

CommandOutcome cmd_connect(ShellState& shell, char* args) {
    if (shell.connected == 1) {
        shell.out->error("already Connected!\n");
        return CommandOutcome::failed;
    }
    char* port_token = next_token(args, WORD_SEPARATORS);
    if (port_token == nullptr) {
        shell.out->error("missing argument: com_port\n");
        return CommandOutcome::failed;
    }
    char port_name[sizeof shell.port_name];
    if (!port_argument(*shell.out, port_token, port_name, sizeof port_name)) return CommandOutcome::failed;
    char* rate_token = next_token(args, WORD_SEPARATORS);
    const int32_t rate = rate_token != nullptr ? parse_decimal(rate_token) : default_connect_baud(shell.station);
    if (!device_rate_argument(*shell.out, rate)) return CommandOutcome::failed;
    std::snprintf(shell.port_name, sizeof shell.port_name, "%s", port_name);
    shell.current_baud = rate;
    DeviceVersion version{};
    shell.connected = connect_device(shell.port, shell.port_name, rate, false, *shell.out, &version) ? 1 : 0;
    shell.device_version[0] = '\0';
    if (shell.connected == 1) {
        std::snprintf(shell.device_version, sizeof shell.device_version, "%d.%d", version.major, version.minor);
    }
    return shell.connected == 1 ? CommandOutcome::done : CommandOutcome::failed;
}

CommandOutcome cmd_disconnect(ShellState& shell, char*) {
    if (shell.connected != 1) {
        shell.out->error("not Connected!\n");
        return CommandOutcome::failed;
    }
    shell.connected = 0;
    disconnect_device(shell.port, *shell.out);
    return CommandOutcome::done;
}

CommandOutcome cmd_baud(ShellState& shell, char* args) {
    if (shell.connected != 1) {
        shell.out->error("must be Connected before changing the Baud!\n");
        return CommandOutcome::failed;
    }
    char* rate_token = next_token(args, WORD_SEPARATORS);
    if (rate_token == nullptr) {
        shell.out->error("missing argument: baud\n");
        return CommandOutcome::failed;
    }
    const int32_t rate = parse_decimal(rate_token);
    if (!device_rate_argument(*shell.out, rate)) return CommandOutcome::failed;
    shell.current_baud = rate;
    shell.connected = change_host_baud(shell.port, rate, *shell.out) ? 1 : 0;
    return shell.connected == 1 ? CommandOutcome::done : CommandOutcome::failed;
}
