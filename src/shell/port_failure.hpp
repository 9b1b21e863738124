// What the shell does when a read on its port cannot be performed (an
// unplugged adapter): the fatal path ends the program after a 5-second pause.
// An operator at a terminal keeps the program instead: the read reports as
// before and then throws PortLost, and the prompt loop ends the command with
// "Disconnected".
#pragma once

#include <cstdint>
#include <functional>

#include "serial/serial_port.hpp"

struct PortLost {
    int code;  // the fatal path's return code
};

// What the fatal path's pause does; tests make it pass no real time. An empty
// one is the real pause.
using FatalPause = std::function<void(uint32_t ms)>;

struct ReadFailurePolicy {
    bool survivable = false;  // a lost port ends the command rather than the program
    FatalPause pause;
};

// Writes the message and the codes to standard error; with a non-zero code
// it then throws PortLost when the loss is survivable, or pauses 5 seconds
// and ends the program abnormally.
void report_fatal(SerialPort& port, int code, const char* message, const ReadFailurePolicy& policy = {});

// The handler the shell installs on its port.
ReadFailureHandler read_failure_handler(ReadFailurePolicy policy);
