// The rates the device's host port can be set to, which connect and baud
// accept.
#pragma once

#include <cstdint>

// In the order the summary lists them.
inline constexpr int32_t device_baud_rates[] = {4800, 9600, 19200, 38400, 57600};

// True when the rate is one of device_baud_rates.
constexpr bool is_device_baud_rate(int32_t rate) {
    for (int32_t r : device_baud_rates) {
        if (r == rate) return true;
    }
    return false;
}
