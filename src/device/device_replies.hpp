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

// Position of `text` in the bytes, or -1.
long find_text(const uint8_t* data, std::size_t count, const char* text, std::size_t from = 0);

// The power-on text is complete once the identification word is followed by
// "Version " and a whole version number: digits, then either a '.' and a
// digit, or a character that continues neither.
bool power_on_complete(const uint8_t* data, std::size_t count);

// How long the line must stay quiet after a complete reply before the read
// ends: 50 ms, or 20 character times at low rates.
uint32_t settle_ms_for(uint32_t rate);

// A ReadUntil that ends once `text` has arrived and the line has settled.
ReadUntil until_text(const char* text, uint32_t rate);
