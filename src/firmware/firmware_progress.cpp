#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "firmware/firmware_update.hpp"

namespace {

constexpr std::size_t LINE_SIZE = 128;
constexpr std::size_t BAR_START = 21;   // where the status text ends at its minimum widths
constexpr int BAR_WIDTH = 59;

}  // namespace

int64_t firmware_clock_now(const FirmwareClock& clock) {
    if (clock) return clock();
    return static_cast<int64_t>(std::time(nullptr));
}

std::string firmware_progress_line(int64_t elapsed, long done, long total) {
    double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
    uint32_t ttc = 0;
    if (fraction != 0.0) {
        ttc = static_cast<uint32_t>(static_cast<int64_t>(static_cast<double>(elapsed) / fraction) - elapsed);
    }
    double percent = fraction * 100.0;
    int bar = static_cast<int>(fraction * BAR_WIDTH);
    if (bar < 0) bar = 0;
    if (bar > BAR_WIDTH) bar = BAR_WIDTH;

    char line[LINE_SIZE];
    std::snprintf(line, sizeof line, "\r%3" PRId64 "s TTC %3" PRIu32 "s %4.1f%% ", elapsed, ttc, percent);
    // The bar overwrites whatever of a longer status text stands from its
    // start on, and the line ends right after the bar.
    std::memset(line + BAR_START, '=', static_cast<std::size_t>(bar));
    line[BAR_START + static_cast<std::size_t>(bar)] = '\0';
    return line;
}

void firmware_progress(int64_t start, long done, long total, const FirmwareClock& clock, Sink& out) {
    out.put(firmware_progress_line(firmware_clock_now(clock) - start, done, total));
    out.flush();
}
