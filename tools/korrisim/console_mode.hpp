// The device's console: what it sends at power-on, and its answers to the
// attention character, to a carriage return and to its commands.
#pragma once

#include "pty_port.hpp"
#include "sim_line.hpp"

// Runs the device until korrisim ends. What a power-on starts (the loader's
// window, the console, the loader) is in power_on.hpp.
void run_device(PtyPort& port, const SimOptions& options);

// The option lines of the console, for the usage text.
const char* console_usage();
