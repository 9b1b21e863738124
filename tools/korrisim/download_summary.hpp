// A readable account of the images the device received.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One line per item: call sign, position, rates, path, comment, switches,
// rule count, implicit action and every rule. `config` must hold 166 bytes;
// `rules` holds whole 28-byte records.
std::vector<std::string> describe_device_images(const std::vector<uint8_t>& config,
                                                const std::vector<uint8_t>& rules);
