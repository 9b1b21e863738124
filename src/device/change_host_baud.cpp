// Ending the connection, and changing the device's host-port rate.
#include <cstdio>

#include "device/device_link.hpp"
#include "serial/serial_port.hpp"
#include "shell/shell_state.hpp"

void disconnect_device() {
    close_port();
    shell.connected = 0;
    std::printf("Disconnected\n");
}

void change_host_baud(int32_t rate) {
    char command[40];
    int length = std::snprintf(command, sizeof command, "host %ld\r", static_cast<long>(rate));
    if (write_port(shell.port_name, command, length) <= 0) {
        std::printf("\a\aError: wrote Host Baud command, got error on port %s\n", shell.port_name);
        close_port();
        shell.connected = 0;
        return;
    }
    // The host's own port keeps the rate it was opened at.
    connect_device(rate, true);
}
