#include "vanish.hpp"

#include <cstdlib>

bool parse_vanish(const std::string& text, VanishPoint& point) {
    point = {};
    if (text == "handshake") {
        point.where = VanishPoint::Where::handshake;
        return true;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    const std::string phase = text.substr(0, colon);
    const std::string number = text.substr(colon + 1);
    if (phase == "download") point.where = VanishPoint::Where::download;
    else if (phase == "firmware") point.where = VanishPoint::Where::firmware;
    else return false;
    char* end = nullptr;
    point.number = number.empty() ? 0 : std::strtol(number.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || point.number < 1) {
        point = {};
        return false;
    }
    return true;
}

VanishPoint vanish_point(const SimOptions& options) {
    VanishPoint point;
    if (options.has("vanish") && !parse_vanish(options.get("vanish"), point)) point = {};
    return point;
}

// A line without a pseudo-terminal behind it has nothing to hang up.
void SimLine::vanish(const std::string& where) {
    sim_log("vanish: %s", where.c_str());
    std::exit(0);
}
