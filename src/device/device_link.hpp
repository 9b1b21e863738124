// The connection with the device's console: the connect handshake, the
// disconnect and the change of the device's host-port rate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/sink.hpp"
class SerialPort;

// Initial mode: opens the port at the rate, has the operator power the
// device, checks its power-on text and version, sends ctrl-C and waits for
// "Connected <rate>". Re-prompt mode: sends CR on the open port and waits for
// the prompt. Returns true when the device is connected; on every failure
// after the port was opened, the port is closed. With `version`, the initial
// mode hands back the firmware version the power-on text gave.
struct DeviceVersion;
bool connect_device(SerialPort& port, const char* port_name, int32_t rate, bool reprompt, Sink& out,
                    DeviceVersion* version = nullptr);

// Closes the port and says "Disconnected"; nothing is sent to the device.
void disconnect_device(SerialPort& port, Sink& out);

// Sends "host <rate>\r", then checks with the re-prompt that the device still
// answers. Returns true when it does; otherwise the port is closed.
bool change_host_baud(SerialPort& port, int32_t rate, Sink& out);
