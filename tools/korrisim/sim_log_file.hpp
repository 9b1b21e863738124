// Where sim_log writes: standard error unless a file is given.
#pragma once

#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <string>

void sim_log_to(std::FILE* file);

// The bytes shown with control characters named, for the log.
std::string sim_visible(const uint8_t* data, std::size_t count);
