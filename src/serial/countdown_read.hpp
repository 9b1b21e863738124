// The long waits for the operator (power-on) with a countdown at a terminal:
// the "You have 20 seconds to do this..." line is drawn again each second
// with the seconds left. From a pipe the read is the plain one.
#pragma once

#include "serial/serial_driver.hpp"

class SerialPort;

// read_port, or read_port_until when `until` is given, counting down.
int read_port_counting_down(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil* until);
