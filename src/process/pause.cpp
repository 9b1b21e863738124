#include "process/pause.hpp"

#ifdef _WIN32
#include <windows.h>

void pause_ms(uint32_t ms) { Sleep(ms); }

#else
#include <cerrno>
#include <ctime>

void pause_ms(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

#endif
