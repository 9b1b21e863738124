// The long waits for the operator (power-on) with a countdown at a terminal:
// the "You have 20 seconds to do this..." line is drawn again each second
// with the seconds left. From a pipe the read is the plain one.
#pragma once

#include <string>

#include "serial/serial_driver.hpp"

class SerialPort;

// read_port, or read_port_until when `until` is given, counting down.
int read_port_counting_down(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil* until);

// The line drawn over the last one when `seconds` are left: "1 second" in the
// singular, with a blank where the plural's last character stood, so that
// nothing of the line before it stays on the screen.
std::string countdown_line(long seconds);
