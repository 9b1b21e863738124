// Ending the connection.
#include <cstdio>

#include "device/device_link.hpp"
#include "serial/serial_port.hpp"

void disconnect_device(SerialPort& port) {
    close_port(port);
    std::printf("Disconnected\n");
}
