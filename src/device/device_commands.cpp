// The connect, disconnect and baud commands.
#include <cstdio>

#include "device/device_link.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "shell/tokens.hpp"

void cmd_connect(char* args) {
    if (shell.connected == 1) {
        std::printf("\a\aError: already Connected!\n");
        return;
    }
    char* port_token = next_token(args, WORD_SEPARATORS);
    if (port_token == nullptr) {
        std::printf("\a\aError: missing argument: com_port\n");
        return;
    }
    int port = parse_com_port(port_token);
    if (port == 0) return;
    char* rate_token = next_token(args, WORD_SEPARATORS);
    int32_t rate = rate_token != nullptr ? parse_decimal(rate_token) : default_connect_baud();
    if (!is_device_baud_rate(rate)) {
        std::printf("\a\aError: invalid baud rate: %d\n", static_cast<int>(rate));
        return;
    }
    std::snprintf(shell.port_name, sizeof shell.port_name, "COM%d", port);
    shell.current_baud = rate;
    connect_device(rate, false);
}

void cmd_disconnect(char*) {
    if (shell.connected != 1) {
        std::printf("\a\aError: not Connected!\n");
        return;
    }
    disconnect_device();
}

void cmd_baud(char* args) {
    if (shell.connected != 1) {
        std::printf("\a\aError: must be Connected before changing the Baud!\n");
        return;
    }
    char* rate_token = next_token(args, WORD_SEPARATORS);
    if (rate_token == nullptr) {
        std::printf("\a\aError: missing argument: baud\n");
        return;
    }
    int32_t rate = parse_decimal(rate_token);
    if (!is_device_baud_rate(rate)) {
        std::printf("\a\aError: invalid baud rate: %d\n", static_cast<int>(rate));
        return;
    }
    shell.current_baud = rate;
    change_host_baud(rate);
}
