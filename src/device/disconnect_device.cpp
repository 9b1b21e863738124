// Ending the connection.
#include <cstdio>

#include "device/device_link.hpp"
#include "serial/serial_port.hpp"

void disconnect_device() {
    close_port();
    std::printf("Disconnected\n");
}
