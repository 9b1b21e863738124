// The COM ports of a Windows machine, as the system's DOS device names hold
// them (QueryDosDevice, kernel32).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "serial/port_list.hpp"

std::vector<PortEntry> list_serial_ports() {
    std::vector<PortEntry> ports;
    std::vector<char> names(64 * 1024);
    DWORD length = 0;
    while ((length = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) == 0 &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < 16 * 1024 * 1024) {
        names.resize(names.size() * 2);
    }
    for (const char* p = names.data(); p < names.data() + length && *p != '\0'; p += std::strlen(p) + 1) {
        if (_strnicmp(p, "COM", 3) != 0 || p[3] == '\0') continue;
        bool digits = true;
        for (const char* d = p + 3; *d != '\0'; ++d) digits = digits && std::isdigit(static_cast<unsigned char>(*d));
        if (!digits) continue;
        char target[512] = "";
        if (QueryDosDeviceA(p, target, sizeof target) == 0) target[0] = '\0';
        ports.push_back({p, target});
    }
    std::sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) { return natural_less(a.name, b.name); });
    return ports;
}
