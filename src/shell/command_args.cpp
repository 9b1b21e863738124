#include "shell/command_args.hpp"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "device/device_rates.hpp"
#include "shell/file_name_hint.hpp"
#include "shell/shell_state.hpp"
#include "text/numbers.hpp"
#include "text/tokens.hpp"

int parse_com_port(const char* token) {
    int32_t n = parse_decimal(token);
    if (n == 0 && strncasecmp(token, "com", 3) == 0) n = parse_decimal(token + 3);
    return n >= 1 && n <= 20 ? n : 0;
}

int com_port_argument(Sink& out, const char* token) {
    const int port = parse_com_port(token);
    if (port == 0) out.error("invalid COM port number (1..20): %s\n", token);
    return port;
}

bool port_argument(Sink& out, const char* token, char* name, std::size_t size) {
#ifndef _WIN32
    if (token[0] == '/') {
        if (std::strlen(token) >= size) {
            out.error("device path too long (max %d characters): %s\n", static_cast<int>(size - 1), token);
            return false;
        }
        std::snprintf(name, size, "%s", token);
        return true;
    }
#endif
    const int port = com_port_argument(out, token);
    if (port == 0) return false;
    std::snprintf(name, size, "COM%d", port);
    return true;
}

bool device_rate_argument(Sink& out, int32_t rate) {
    if (is_device_baud_rate(rate)) return true;
    out.error("invalid baud rate: %d\n", static_cast<int>(rate));
    return false;
}

CommandOutcome file_command(ShellState& shell, char* args, int (*process)(ShellState& shell, const char* file_name),
                            const char* failed) {
    char* cursor = args;
    const char* file_name = next_token(cursor, FILE_NAME_SEPARATORS);
    if (file_name == nullptr) {
        shell.out->error("missing argument: file_name\n");
        return CommandOutcome::failed;
    }
    if (process(shell, file_name) != 0) {
        shell.out->put(failed);
        offer_file_name_hint(*shell.out, file_name);
        return CommandOutcome::failed;
    }
    return CommandOutcome::done;
}
