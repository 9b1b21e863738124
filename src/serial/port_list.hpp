// The serial ports present on this machine, for korrimatic --list-ports.
#pragma once

#include <string>
#include <vector>

struct PortEntry {
    std::string name;    // what connect and firmware take: a device path, or COMn on Windows
    std::string detail;  // what it is or leads to; may be empty
};

// Linux: the stable names under /dev/serial/by-id with their targets, then
// /dev/ttyUSB*, /dev/ttyACM* and the /dev/ttyS* that are real UARTs (the
// kernel creates ttyS devices for ports that may not exist). Windows: the
// COM ports the system knows.
std::vector<PortEntry> list_serial_ports();

#ifndef _WIN32
// The same list read from a device folder and a sysfs tty folder other than
// /dev and /sys/class/tty.
std::vector<PortEntry> list_serial_ports_under(const std::string& dev, const std::string& sys_tty);
#endif

// Orders names so that the numbers in them count: ttyS2 before ttyS10.
bool natural_less(const std::string& a, const std::string& b);
