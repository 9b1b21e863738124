// What to tell a Windows operator when a COM port cannot be opened: the
// system's own text says what failed, this says what to do about it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The Windows error numbers that have advice.
inline constexpr uint32_t WINDOWS_ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t WINDOWS_ERROR_ACCESS_DENIED = 5;

// The advice to add to the system's text of a failed open, beginning with a
// blank, or nothing for an error that has none. `present` are the COM ports
// there are, for a port that does not exist.
std::string com_open_advice(uint32_t error, const std::vector<std::string>& present);
