#include "serial/com_port_advice.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// The number of "COMn" (any letter case), or 0 for any other name.
long com_number(const std::string& name) {
    if (name.size() < 4 || name.size() > 12 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M' || name[3] < '1' || name[3] > '9' ||
        name.find_first_not_of("0123456789", 3) != std::string::npos) {
        return 0;
    }
    return std::strtol(name.c_str() + 3, nullptr, 10);
}

}  // namespace

std::vector<std::string> com_ports_in(const char* names, std::size_t size) {
    std::vector<long> numbers;
    for (std::size_t at = 0; at < size;) {
        const std::size_t len = static_cast<std::size_t>(std::find(names + at, names + size, '\0') - (names + at));
        if (long n = com_number(std::string(names + at, len)); n > 0) numbers.push_back(n);
        at += len + 1;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::vector<std::string> ports;
    for (long n : numbers) ports.push_back("COM" + std::to_string(n));
    return ports;
}

std::string com_open_advice(uint32_t error, const std::vector<std::string>& present) {
    const std::string device_manager =
        "Device Manager lists each serial adapter with its number under \"Ports (COM & LPT)\"";
    switch (error) {
    case WINDOWS_ERROR_ACCESS_DENIED:
        return " (another program holds the port, such as a terminal program or a second copy of this one;"
               " close it and try again)";
    case WINDOWS_ERROR_FILE_NOT_FOUND: {
        if (present.empty()) return " (there is no such port, and no COM port is present: plug the adapter in; " +
                                    device_manager + ")";
        std::string text = " (there is no such port; COM ports present:";
        for (const auto& p : present) text += " " + p;
        return text + "; " + device_manager + ")";
    }
    default:
        return "";
    }
}
