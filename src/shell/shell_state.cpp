#include "shell/shell_state.hpp"

ShellState shell{};

bool is_device_baud_rate(int32_t rate) {
    for (int32_t r : device_baud_rates) {
        if (r == rate) return true;
    }
    return false;
}
