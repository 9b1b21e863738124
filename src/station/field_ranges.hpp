// The ranges of the values both images hold, for both parsers: the
// Configuration file's and the Rules file's. Both ends are included.
#pragma once

#include <cstdint>

struct IntRange {
    int32_t low;
    int32_t high;

    constexpr bool holds(int32_t value) const { return value >= low && value <= high; }
    // False for a NaN.
    constexpr bool holds(double value) const { return value >= low && value <= high; }
};

// Station SSIDs, of the station and of a call-sign pattern.
inline constexpr IntRange SSID_RANGE{0, 15};
// Decimal degrees, south and west negative.
inline constexpr IntRange LATITUDE_RANGE{-90, 90};
inline constexpr IntRange LONGITUDE_RANGE{-180, 180};
// The angles of a sector rule, in degrees.
inline constexpr IntRange SECTOR_ANGLE_RANGE{0, 360};
