// korrisim's log: one line per event, with the monotonic time in seconds.
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "sim_clock.hpp"
#include "sim_line.hpp"
#include "sim_log_file.hpp"

namespace {
std::FILE* g_log = nullptr;
}

void sim_log_to(std::FILE* file) { g_log = file; }

void sim_log(const char* format, ...) {
    std::FILE* out = g_log != nullptr ? g_log : stderr;
    int64_t us = sim_now_us();
    std::fprintf(out, "%lld.%06lld ", static_cast<long long>(us / 1000000), static_cast<long long>(us % 1000000));
    va_list args;
    va_start(args, format);
    std::vfprintf(out, format, args);
    va_end(args);
    std::fputc('\n', out);
    std::fflush(out);
}

void sim_sleep_ms(long ms) {
    if (ms <= 0) return;
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

std::string sim_visible(const uint8_t* data, std::size_t count) {
    std::string v;
    for (std::size_t i = 0; i < count; ++i) {
        uint8_t c = data[i];
        if (c >= 0x20 && c < 0x7F && c != '<') {
            v += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            v += hex;
        }
    }
    return v;
}
