// Placeholder until the download receiver is built.
#include "download_receiver.hpp"

int run_download_receiver(SimLine&, const SimOptions&) {
    sim_log("download receiver not built");
    return 1;
}

const char* download_receiver_usage() { return ""; }
