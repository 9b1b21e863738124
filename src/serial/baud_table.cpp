#include "serial/baud_table.hpp"

#include <cstdio>

const int32_t baud_table[14] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 0};

const int32_t* get_baud(int32_t rate, Sink& out) {
    if (rate == 0) {
        out.printf("get_baud: Error: invalid baud: %ld\n", static_cast<long>(rate));
        return nullptr;
    }
    for (const int32_t* p = baud_table; *p != 0; ++p) {
        if (*p == rate) return p;
    }
    return nullptr;
}
