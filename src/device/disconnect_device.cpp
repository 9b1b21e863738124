// Ending the connection.
#include "device/device_link.hpp"
#include "serial/serial_port.hpp"

void disconnect_device(Sink& out) {
    close_port();
    out.printf("Disconnected\n");
}
