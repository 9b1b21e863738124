#pragma once

#include <cstdint>

#include "text/sink.hpp"

// The rates a serial port can be set to, ended by 0.
extern const int32_t baud_table[14];

// The matching entry of baud_table, or nullptr. A rate of 0 prints a message
// to `out`.
const int32_t* get_baud(int32_t rate, Sink& out);
