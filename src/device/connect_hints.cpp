#include "device/connect_hints.hpp"

#include "serial/silent_port_hint.hpp"

namespace {

constexpr uint8_t LOADER_PROMPT = 0x05;  // ENQ

std::string port_argument_of(const char* port_name) {
    const std::string name = port_name;
    return name.rfind("COM", 0) == 0 ? name.substr(3) : name;
}

}  // namespace

std::string power_on_hint(const char* port_name, const uint8_t* reply, int count) {
    if (count == 0) return "";
    for (int i = 0; i < count; ++i) {
        if (reply[i] != LOADER_PROMPT) return "";
    }
    return "the Korrimatic is in its firmware loader: cycle its power, or update it with firmware " +
           port_argument_of(port_name) + " FILE.hex";
}

void offer_power_on_hint(Sink& out, const char* port_name, const void* reply, int count, long rate) {
    if (count == 0) {
        offer_silent_port_hint(out, port_name, rate);
        return;
    }
    const std::string hint = power_on_hint(port_name, static_cast<const uint8_t*>(reply), count);
    if (!hint.empty()) out.hints().offer(hint);
}

void offer_old_firmware_hint(Sink& out, const char* port_name) {
    out.hints().offer("update it with the firmware command: firmware " + port_argument_of(port_name) +
                      " FILE.hex, with the firmware file for the Korrimatic, then connect again");
}

void show_firmware_version(int major, int minor, Sink& out) {
    if (out.operator_at_terminal()) out.printf("Korrimatic firmware version %d.%d\n", major, minor);
}
