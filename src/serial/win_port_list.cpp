#include "serial/win_port_list.hpp"

#include <windows.h>

#include "serial/com_port_advice.hpp"

std::vector<std::string> present_com_ports() {
    // Every DOS device name, each ending in a NUL; the list can be long.
    std::vector<char> names(64 * 1024);
    for (;;) {
        const DWORD n = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()));
        if (n != 0) return com_ports_in(names.data(), n);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || names.size() >= 16 * 1024 * 1024) return {};
        names.resize(names.size() * 4);
    }
}
