#include "control_command.hpp"

#include <cstdlib>

std::vector<uint8_t> unescape_text(const std::string& text) {
    std::vector<uint8_t> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out.push_back(static_cast<uint8_t>(c));
            continue;
        }
        char e = text[++i];
        switch (e) {
        case 'r': out.push_back('\r'); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case '0': out.push_back(0); break;
        case 'x':
            if (i + 2 < text.size()) {
                std::string hex = text.substr(i + 1, 2);
                out.push_back(static_cast<uint8_t>(std::strtoul(hex.c_str(), nullptr, 16)));
                i += 2;
            }
            break;
        default: out.push_back(static_cast<uint8_t>(e)); break;
        }
    }
    return out;
}

ControlCommand parse_control_command(const std::string& line) {
    std::string word = line.substr(0, line.find(' '));
    std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : "";
    if (word == "on") return {ControlKind::on, {}};
    if (word == "off") return {ControlKind::off, {}};
    if (word == "cycle") return {ControlKind::cycle, {}};
    if (word == "say") return {ControlKind::say, unescape_text(rest)};
    if (word == "settings") return {ControlKind::settings, {}};
    if (word == "quit") return {ControlKind::quit, {}};
    return {ControlKind::unknown, {}};
}
