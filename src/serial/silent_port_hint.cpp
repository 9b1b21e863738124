#include "serial/silent_port_hint.hpp"

#include "serial/port_list.hpp"
#include "text/sink.hpp"

namespace {

constexpr std::size_t PORTS_NAMED = 6;

}  // namespace

std::string silent_port_hint(const char* port_name, long rate, const std::vector<std::string>& ports) {
    std::string hint = "nothing came from " + std::string(port_name) +
                       ": check that the Korrimatic has power, that its cable is plugged in at both ends, that " +
                       port_name + " is its port and that it runs at " + std::to_string(rate) + " baud (ports here:";
    if (ports.empty()) hint += " none found";
    for (std::size_t i = 0; i < ports.size() && i < PORTS_NAMED; ++i) hint += (i == 0 ? " " : ", ") + ports[i];
    if (ports.size() > PORTS_NAMED) hint += ", ...";
    return hint + "; korrimatic --list-ports lists them)";
}

void offer_silent_port_hint(Sink& out, const char* port_name, long rate) {
    if (!out.operator_at_terminal()) return;
    std::vector<std::string> ports;
    for (const PortEntry& p : list_serial_ports()) ports.push_back(p.name);
    out.hints().offer(silent_port_hint(port_name, rate, ports));
}
