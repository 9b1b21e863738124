// The line settings as a terminal holds them.
#pragma once

#include <termios.h>

#include <string>

#include "serial/serial_driver.hpp"

// Makes `t` raw and gives it the data bits, parity, stop bits, flow control
// and parity checking of `s` (the rate is set apart). False, with what the
// terminal cannot do in `detail`, for a setting termios has no flag for.
bool make_termios(const LineSettings& s, termios& t, std::string& detail);

// What a terminal's settings say of the line. Termios holds no modem lines:
// DTR and RTS are not among them.
struct TermiosLine {
    uint8_t byte_size;
    Parity parity;
    StopBits stop_bits;
    bool parity_check;
    bool outx_cts_flow;
    bool outx;
    bool inx;
};
TermiosLine termios_line(const termios& t);

// Whether the terminal kept what make_termios asked of it: tcsetattr
// succeeds when anything at all was applied.
bool termios_kept(const termios& asked, const termios& back);
