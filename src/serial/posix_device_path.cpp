#include "serial/posix_device_path.hpp"

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "serial/port_list.hpp"

namespace {

// The serial devices present: the stable names under /dev/serial/by-id, then
// the USB adapters /dev/ttyUSB* and /dev/ttyACM*.
std::vector<std::string> present_serial_devices() {
    std::vector<std::string> found;
    for (const auto& [folder, prefix] : {std::pair{"/dev/serial/by-id", ""}, {"/dev", "ttyUSB"}, {"/dev", "ttyACM"}}) {
        for (const std::string& name : device_names_in(folder, prefix)) found.push_back(std::string(folder) + "/" + name);
    }
    return found;
}

}  // namespace

std::vector<std::string> device_names_in(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    DIR* d = opendir(folder.c_str());
    if (d == nullptr) return names;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || name.rfind(prefix, 0) != 0) continue;
        names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end(), natural_less);
    return names;
}

std::string posix_device_path(const char* port_name) {
    if (port_name != nullptr && port_name[0] == '/') return port_name;
    if (port_name == nullptr || strncasecmp(port_name, "COM", 3) != 0) return "";
    const char* digits = port_name + 3;
    if (*digits < '1' || *digits > '9' || std::strspn(digits, "0123456789") != std::strlen(digits)) return "";
    std::string variable = std::string("KORRIMATIC_COM") + digits;
    if (const char* mapped = std::getenv(variable.c_str()); mapped != nullptr && *mapped != '\0') return mapped;
    return "/dev/ttyS" + std::to_string(std::strtol(digits, nullptr, 10) - 1);
}

std::string posix_error_text(const std::string& port_name, const std::string& path, int error, bool opening) {
    std::string text = (path.empty() ? port_name : path) + ": " + std::strerror(error);
    if (!opening) return text;
    const bool is_path = !port_name.empty() && port_name[0] == '/';
    std::string number = port_name.size() > 3 ? port_name.substr(3) : "n";
    // A device path is named as it is; a COMn port can be mapped to a device.
    const std::string mapping = is_path ? " korrimatic --list-ports lists the ports"
                                        : " map one to this port with KORRIMATIC_COM" + number + "=/dev/<device>";
    switch (error) {
    case EACCES:
    case EPERM:
        text += " (your user needs to be in the group that owns the device, often dialout:"
                " sudo usermod -aG dialout $USER, then log in again)";
        break;
    case EBUSY:
    case EWOULDBLOCK:
        text += " (another program is using the port; close it and try again)";
        break;
    case ENOENT:
    case ENXIO:
    case ENODEV: {
        std::vector<std::string> devices = present_serial_devices();
        if (devices.empty()) {
            text += " (no serial device found under /dev/serial/by-id, /dev/ttyUSB* or /dev/ttyACM*";
        } else {
            text += " (serial devices present:";
            for (const auto& d : devices) text += " " + d;
        }
        text += ";" + mapping + ")";
        break;
    }
    case ENOTTY:
        text += is_path ? " (not a serial device)"
                        : " (not a serial device; KORRIMATIC_COM" + number + " must name a terminal device)";
        break;
    default:
        break;
    }
    return text;
}
