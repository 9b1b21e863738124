// Ending the connection.
#include "device/device_link.hpp"
#include "serial/serial_port.hpp"

void disconnect_device(SerialPort& port, Sink& out) {
    close_port(port);
    out.printf("Disconnected\n");
}
