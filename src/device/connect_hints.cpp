#include "device/connect_hints.hpp"

#include <cstdio>

#include "serial/port_list.hpp"
#include "text/hints.hpp"

namespace {

constexpr uint8_t LOADER_PROMPT = 0x05;  // ENQ
constexpr std::size_t PORTS_NAMED = 6;

std::string port_argument_of(const char* port_name) {
    const std::string name = port_name;
    return name.rfind("COM", 0) == 0 ? name.substr(3) : name;
}

}  // namespace

std::string power_on_hint(const char* port_name, const uint8_t* reply, int count, long rate,
                          const std::vector<std::string>& ports) {
    if (count == 0) {
        std::string hint = "nothing came from " + std::string(port_name) +
                           ": check that the Korrimatic has power, that its cable is plugged in at both ends, that " +
                           port_name + " is its port and that it runs at " + std::to_string(rate) + " baud (ports here:";
        if (ports.empty()) hint += " none found";
        for (std::size_t i = 0; i < ports.size() && i < PORTS_NAMED; ++i) hint += (i == 0 ? " " : ", ") + ports[i];
        if (ports.size() > PORTS_NAMED) hint += ", ...";
        return hint + "; korrimatic --list-ports lists them)";
    }
    for (int i = 0; i < count; ++i) {
        if (reply[i] != LOADER_PROMPT) return "";
    }
    return "the Korrimatic is in its firmware loader: cycle its power, or update it with firmware " +
           port_argument_of(port_name) + " FILE.hex";
}

void offer_power_on_hint(const char* port_name, const void* reply, int count, long rate) {
    std::vector<std::string> ports;
    if (count == 0 && operator_at_terminal()) {
        for (const PortEntry& p : list_serial_ports()) ports.push_back(p.name);
    }
    const std::string hint = power_on_hint(port_name, static_cast<const uint8_t*>(reply), count, rate, ports);
    if (!hint.empty()) offer_hint(hint);
}

void offer_old_firmware_hint(const char* port_name) {
    offer_hint("update it with the firmware command: firmware " + port_argument_of(port_name) +
               " FILE.hex, with the firmware file for the Korrimatic, then connect again");
}

void show_firmware_version(int major, int minor) {
    if (operator_at_terminal()) std::printf("Korrimatic firmware version %d.%d\n", major, minor);
}
