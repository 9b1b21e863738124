// The modem lines a port's settings ask to be dropped.
#pragma once

#include "serial/serial_driver.hpp"

// TIOCM_DTR and TIOCM_RTS for the lines whose control is `disable`; 0 when
// both stay up.
int modem_lines_to_drop(const LineSettings& s);
