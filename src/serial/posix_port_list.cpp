// The serial ports of a Linux machine.
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "serial/port_list.hpp"
#include "serial/posix_device_path.hpp"

namespace {

const char* uart_name(int type) {
    switch (type) {
    case PORT_8250: return "8250";
    case PORT_16450: return "16450";
    case PORT_16550: return "16550";
    case PORT_16550A: return "16550A";
    case PORT_16750: return "16750";
    case PORT_16850: return "16850";
    case PORT_16650: return "16650";
    default: return nullptr;
    }
}

// The UART type of a ttyS device: from sysfs, or else from the driver itself
// (TIOCGSERIAL); PORT_UNKNOWN (0) is a place-holder for a port that is not there.
// The path of `name` in `folder`.
std::string in_folder(const std::string& folder, const std::string& name) {
    std::string path = folder;
    path.append("/").append(name);
    return path;
}

int uart_type(const std::string& dev, const std::string& sys_tty, const std::string& name) {
    std::ifstream type_file(in_folder(in_folder(sys_tty, name), "type"));
    int type = PORT_UNKNOWN;
    if (type_file >> type) return type;
    const int fd = ::open(in_folder(dev, name).c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return PORT_UNKNOWN;
    serial_struct info{};
    type = ioctl(fd, TIOCGSERIAL, &info) == 0 ? info.type : PORT_UNKNOWN;
    ::close(fd);
    return type;
}

}  // namespace

std::vector<PortEntry> list_serial_ports() { return list_serial_ports_under("/dev", "/sys/class/tty"); }

std::vector<PortEntry> list_serial_ports_under(const std::string& dev, const std::string& sys_tty) {
    std::vector<PortEntry> ports;
    const std::string by_id = dev + "/serial/by-id";
    for (const std::string& name : device_names_in(by_id, "")) {
        const std::string path = in_folder(by_id, name);
        char target[PATH_MAX];
        ports.push_back({path, realpath(path.c_str(), target) != nullptr ? std::string("-> ") + target : ""});
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const std::string& name : device_names_in(dev, prefix)) ports.push_back({in_folder(dev, name), ""});
    }
    for (const std::string& name : device_names_in(dev, "ttyS")) {
        const int type = uart_type(dev, sys_tty, name);
        if (type == PORT_UNKNOWN) continue;
        const char* uart = uart_name(type);
        ports.push_back({in_folder(dev, name), uart != nullptr ? std::string("UART ") + uart : "UART"});
    }
    return ports;
}
