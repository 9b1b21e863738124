#include "serial/com_port_advice.hpp"

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
