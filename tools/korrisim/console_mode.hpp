// The device's console: what it sends at power-on, and its answers to the
// attention character, to a carriage return and to its commands.
#pragma once

#include "pty_port.hpp"
#include "sim_line.hpp"

// Runs the device until korrisim ends. In loader mode a power-on starts the
// firmware loader instead of the console.
void run_device(PtyPort& port, const SimOptions& options);

// The option lines of the console, for the usage text.
const char* console_usage();
