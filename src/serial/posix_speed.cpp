#include "serial/posix_speed.hpp"

namespace {

struct SpeedEntry {
    uint32_t rate;
    speed_t speed;
};

constexpr SpeedEntry SPEEDS[] = {
    {110, B110},     {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},
    {4800, B4800},   {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600},
    {115200, B115200},
};

}  // namespace

bool speed_of_rate(uint32_t rate, speed_t& speed) {
    for (const auto& e : SPEEDS) {
        if (e.rate == rate) {
            speed = e.speed;
            return true;
        }
    }
    return false;
}

uint32_t rate_of_speed(speed_t speed) {
    for (const auto& e : SPEEDS) {
        if (e.speed == speed) return e.rate;
    }
    return 0;
}
