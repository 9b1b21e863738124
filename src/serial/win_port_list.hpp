// The COM ports a Windows system has now.
#pragma once

#include <string>
#include <vector>

// COM1, COM3, ... by number; empty when the system cannot say.
std::vector<std::string> present_com_ports();
