// Setting and reading back a line rate by its number, for the rates that the
// portable termios interface has no constant for (14400 and 56000).
#pragma once

#include <cstdint>

// Sets both directions of the open terminal to `rate` bits per second, all
// other settings unchanged. False (errno set) where the system cannot.
bool posix_set_any_rate(int fd, uint32_t rate);

// The output rate the terminal is set to, in bits per second; false (errno
// set) when it cannot be read as a number.
bool posix_get_any_rate(int fd, uint32_t& rate);
