// Linux: the termios2 interface takes any rate as a number (BOTHER). Its
// header clashes with <termios.h>, so it lives alone in this file.
#include "serial/posix_rate.hpp"

#include <cerrno>

#if defined(__linux__)
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

bool posix_set_any_rate(int fd, uint32_t rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

bool posix_get_any_rate(int fd, uint32_t& rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    rate = tio.c_ospeed;
    return true;
}

#else

bool posix_set_any_rate(int, uint32_t) {
    errno = EINVAL;
    return false;
}

bool posix_get_any_rate(int, uint32_t&) {
    errno = EINVAL;
    return false;
}

#endif
