// Recognising the device's replies, as raw bytes that are still arriving: a
// read that waits for one of them may end once it is complete.
#pragma once

#include <cstddef>
#include <cstdint>

#include "serial/serial_driver.hpp"

// The identification word, the text before the version, and the prompt.
inline constexpr char DEVICE_IDENT[] = "Korrimatic";
inline constexpr char VERSION_LABEL[] = "Version ";
inline constexpr char DEVICE_PROMPT[] = "Korrim> ";

// The console says what it has to say without pausing this long: once the
// line has been quiet for it after a reply, nothing more of that reply comes.
inline constexpr int CONSOLE_QUIET_MS = 500;

// Position of `text` in the bytes, or -1.
long find_text(const uint8_t* data, std::size_t count, const char* text, std::size_t from = 0);

// The power-on text is complete once the identification word is followed by
// "Version " and a whole version number: digits, then either a '.' and a
// digit, or a character that continues neither.
bool power_on_complete(const uint8_t* data, std::size_t count);

// The device's firmware version, from the text after "Version ": the major
// number (white space and one sign before it, clamped as parse_decimal
// does) and, when a '.' follows it directly, the minor number (else 0).
struct DeviceVersion {
    int major;
    int minor;
};
DeviceVersion parse_device_version(const char* number);

// How long the line must stay quiet after a complete reply before the read
// ends: 50 ms, or 20 character times at low rates.
uint32_t settle_ms_for(uint32_t rate);

// A ReadUntil that ends once `text` has arrived and the line has settled.
ReadUntil until_text(const char* text, uint32_t rate);

// Whether the bytes hold "Connected <rate>" with the rate whole: what follows
// it is no digit, '.', ',' or exponent mark, so "Connected 576009" or
// "Connected 9600.5" never pass for 57600 or 9600. A rate at the very end of
// the bytes counts only when `ended` says nothing more is coming.
bool connected_reply(const uint8_t* data, std::size_t count, long rate, bool ended);

// A ReadUntil that ends once the whole "Connected <rate>" has arrived and the
// line has settled (at the port's `port_rate`).
ReadUntil until_connected(long rate, uint32_t port_rate);
