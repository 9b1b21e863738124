// One download as the device receives it, over any SimLine.
#pragma once

#include "sim_line.hpp"

// Runs the receiver with the options of download_receiver_usage(); 0 when both
// images were received and stored, else 1.
int run_download_session(SimLine& line, const SimOptions& options);
