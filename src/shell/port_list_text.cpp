#include "shell/port_list_text.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "shell/shell_state.hpp"

std::string port_list_text(const std::vector<PortEntry>& ports, const std::vector<ComMapping>& mappings) {
    std::string text;
    for (const PortEntry& p : ports) {
        text += p.name;
        if (const int n = com_number_of(p.name, mappings); n != 0) text += "  COM" + std::to_string(n);
        if (!p.detail.empty()) text += "  " + p.detail;
        text += "\n";
    }
    if (mappings.empty()) return text;
    text += "COM ports mapped by the environment:\n";
    for (const ComMapping& m : mappings) {
        // A mapping may name an adapter that is unplugged now, or a typo.
        std::error_code error;
        const bool present = std::filesystem::exists(m.path, error);
        text += "  COM" + std::to_string(m.number) + " is " + m.path + " (KORRIMATIC_COM" +
                std::to_string(m.number) + ")" + (present ? "" : ", not present") + "\n";
    }
    return text;
}

void print_port_list(const std::vector<PortEntry>& ports, const std::vector<ComMapping>& mappings, Sink& out) {
    out.put(port_list_text(ports, mappings).c_str());
}
