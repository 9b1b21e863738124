#include "shell/shell_state.hpp"

#include "config/config_record.hpp"

ShellState shell{};

bool is_device_baud_rate(int32_t rate) {
    for (int32_t r : device_baud_rates) {
        if (r == rate) return true;
    }
    return false;
}

int32_t default_connect_baud() {
    return static_cast<int32_t>(config.have_gps != 0 ? config.gps_baud : config.host_baud);
}
