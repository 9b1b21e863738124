// Placeholder until the firmware loader is built.
#include "firmware_loader.hpp"

int run_firmware_loader(SimLine&, const SimOptions&) {
    sim_log("firmware loader not built");
    return 1;
}

const char* firmware_loader_usage() { return ""; }
