#include "support/fuzz_script.hpp"

#include <array>

namespace {

// Around the answer waits (100 ms of the loader, 200 ms of its sync, 2 s of
// the connect answer, 5 s of a packet and of the identification, 20 s of the
// power-on) and the quiet waits of the drains (100 ms, 250 ms).
constexpr std::array<int64_t, 32> DELAYS = {
    0,    1,    2,    5,     10,    20,    49,    50,    99,    100,   101,   150,   199,  200,   201,   249,
    250,  251,  400,  1000,  1999,  2000,  2001,  4999,  5000,  5001,  5100,  6000, 10000, 19999, 20000, 20001};

}  // namespace

int64_t FuzzScript::delay_ms(int64_t fallback) {
    if (used_up()) return fallback;
    return DELAYS[byte(0) % DELAYS.size()];
}
