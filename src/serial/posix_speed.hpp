// The termios speed constants of the rates a port can be set to.
#pragma once

#include <termios.h>

#include <cstdint>

// The constant for `rate`; false when termios has none (14400, 56000).
bool speed_of_rate(uint32_t rate, speed_t& speed);
// The rate of a speed constant; 0 when it is not one of the table.
uint32_t rate_of_speed(speed_t speed);
