// The device's firmware loader: runs at power-on when korrisim is in loader
// mode, and returns when the transfer has ended or the host has gone.
#pragma once

#include <cstdint>

#include "sim_line.hpp"

// The host's sync character, which the loader answers ACK.
inline constexpr uint8_t LOADER_SYN = 0x16;

// Returns 0 when every record line was accepted, else non-zero. With
// `sync_heard` the prompt was sent and the sync character taken before.
int run_firmware_loader(SimLine& line, const SimOptions& options, bool sync_heard = false);

// The option lines this mode adds to korrisim's usage text.
const char* firmware_loader_usage();
