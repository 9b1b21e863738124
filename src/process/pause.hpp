// Pausing the program for a while (the fatal path waits before it ends).
#pragma once

#include <cstdint>

void pause_ms(uint32_t ms);
