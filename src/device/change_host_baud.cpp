// Ending the connection, and changing the device's host-port rate.
#include <cstdio>

#include "device/device_link.hpp"
#include "serial/serial_port.hpp"

void disconnect_device() {
    close_port();
    std::printf("Disconnected\n");
}

bool change_host_baud(const char* port, int32_t rate) {
    char command[40];
    int length = std::snprintf(command, sizeof command, "host %ld\r", static_cast<long>(rate));
    if (write_port(port, command, length) <= 0) {
        std::printf("\a\aError: wrote Host Baud command, got error on port %s\n", port);
        close_port();
        return false;
    }
    // The host's own port keeps the rate it was opened at.
    return connect_device(port, rate, true);
}
