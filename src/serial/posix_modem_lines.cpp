#include "serial/posix_modem_lines.hpp"

#include <sys/ioctl.h>

int modem_lines_to_drop(const LineSettings& s) {
    int lines = 0;
    if (s.dtr_control == LineControl::disable) lines |= TIOCM_DTR;
    if (s.rts_control == LineControl::disable) lines |= TIOCM_RTS;
    return lines;
}
