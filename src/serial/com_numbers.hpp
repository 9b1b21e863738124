// Which COM number a port answers to, for korrimatic --list-ports. On Linux
// COMn is the device in KORRIMATIC_COMn when that is set, else /dev/ttyS<n-1>;
// on Windows a port's name is its COM number.
#pragma once

#include <string>
#include <vector>

struct ComMapping {
    int number;        // n of COMn
    std::string path;  // the device KORRIMATIC_COMn names
};

// The KORRIMATIC_COMn variables set, n from 1 to 20.
std::vector<ComMapping> com_mappings_in_force();

// The COM number `port` (a device path, or "COMn" on Windows) answers to, or
// 0 when none: the KORRIMATIC_COMn that names the same device (links
// followed), else n for /dev/ttyS<n-1> when no variable takes COMn.
int com_number_of(const std::string& port, const std::vector<ComMapping>& mappings);
