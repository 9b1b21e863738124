// A serial read that cannot be performed (an unplugged adapter) ends the
// program through the fatal path. An operator at a terminal keeps the
// program instead: the read reports as before and then throws PortLost, and
// the shell ends the command with "Disconnected".
#pragma once

struct PortLost {
    int code;  // the fatal path's return code
};

// Whether a lost port ends the command rather than the program.
void set_port_loss_survivable(bool survivable);
bool port_loss_survivable();
