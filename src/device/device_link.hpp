// The connection with the device's console: the connect handshake, the
// disconnect and the change of the device's host-port rate.
#pragma once

#include <cstddef>
#include <cstdint>

// Initial mode: opens port_name at the rate, has the operator power the
// device, checks its power-on text and version, sends ctrl-C and waits for
// "Connected <rate>". Re-prompt mode: sends CR and waits for the prompt. The
// outcome is in its messages and in shell.connected.
void connect_device(int32_t rate, bool reprompt);

// Closes the port and clears shell.connected; nothing is sent to the device.
void disconnect_device();

// Sends "host <rate>\r", then checks with the re-prompt that the device still
// answers.
void change_host_baud(int32_t rate);
