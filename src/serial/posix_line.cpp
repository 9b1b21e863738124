#include "serial/posix_line.hpp"

bool make_termios(const LineSettings& s, termios& t, std::string& detail) {
    cfmakeraw(&t);  // no echo, no line editing, no CR/LF translation, no signals
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    switch (s.byte_size) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: detail = "unsupported data bits"; return false;
    }
    switch (s.parity) {
    case Parity::none: break;
    case Parity::odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::even: t.c_cflag |= PARENB; break;
    default: detail = "unsupported parity"; return false;
    }
    switch (s.stop_bits) {
    case StopBits::one: break;
    case StopBits::two: t.c_cflag |= CSTOPB; break;
    default: detail = "unsupported stop bits"; return false;
    }
    if (s.outx_cts_flow) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    if (s.outx) t.c_iflag |= IXON;
    if (s.inx) t.c_iflag |= IXOFF;
    if (s.parity_check) t.c_iflag |= INPCK;
    t.c_cc[VMIN] = 1;  // VMIN above 1 hides queued bytes from poll; 0 makes silence look like a hang-up
    t.c_cc[VTIME] = 0;
    return true;
}

TermiosLine termios_line(const termios& t) {
    TermiosLine line{};
    switch (t.c_cflag & CSIZE) {
    case CS5: line.byte_size = 5; break;
    case CS6: line.byte_size = 6; break;
    case CS7: line.byte_size = 7; break;
    default: line.byte_size = 8; break;
    }
    line.parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? Parity::odd : Parity::even) : Parity::none;
    line.stop_bits = (t.c_cflag & CSTOPB) ? StopBits::two : StopBits::one;
    line.parity_check = (t.c_iflag & INPCK) != 0;
    line.outx_cts_flow = (t.c_cflag & CRTSCTS) != 0;
    line.outx = (t.c_iflag & IXON) != 0;
    line.inx = (t.c_iflag & IXOFF) != 0;
    return line;
}

bool termios_kept(const termios& asked, const termios& back) {
    const tcflag_t cflags = CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CLOCAL | CREAD;
    const tcflag_t iflags = IXON | IXOFF | IXANY | INPCK | ICRNL | INLCR | IGNCR | ISTRIP;
    const tcflag_t lflags = ICANON | ECHO | ISIG | IEXTEN;
    return (back.c_cflag & cflags) == (asked.c_cflag & cflags) && (back.c_iflag & iflags) == (asked.c_iflag & iflags) &&
           (back.c_lflag & lflags) == (asked.c_lflag & lflags) && (back.c_oflag & OPOST) == 0 &&
           back.c_cc[VMIN] == 1 && back.c_cc[VTIME] == 0;
}
