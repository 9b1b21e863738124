// The device's download receiver: runs after the console received
// "download\r\n" and returns when the transfer has ended (finished or failed).
#pragma once

#include "sim_line.hpp"

// Returns 0 when both images were received and stored, else non-zero.
int run_download_receiver(SimLine& line, const SimOptions& options);

// The option lines this mode adds to korrisim's usage text.
const char* download_receiver_usage();
