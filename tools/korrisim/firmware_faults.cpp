#include "firmware_faults.hpp"

#include <cstdlib>
#include <sstream>

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) parts.push_back(part);
    return parts;
}

bool to_number(const std::string& text, int base, long low, long high, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, base);
    return *end == '\0' && value >= low && value <= high;
}

// A list of N[:K] items: the first K transmissions of record line N (K 1 by
// default).
bool parse_line_counts(const SimOptions& options, const std::string& name, std::map<int, int>& counts,
                       std::string& error, long first_line = 1) {
    for (const std::string& item : split(options.get(name), ',')) {
        std::vector<std::string> f = split(item, ':');
        long line = 0, count = 1;
        if ((f.size() != 1 && f.size() != 2) || !to_number(f[0], 10, first_line, 1000000, line) ||
            (f.size() == 2 && !to_number(f[1], 10, 1, 1000, count))) {
            error.assign("--").append(name).append(": expected N[:K], got ").append(item);
            return false;
        }
        counts[static_cast<int>(line)] = static_cast<int>(count);
    }
    return true;
}

}  // namespace

bool parse_loader_faults(const SimOptions& options, LoaderFaults& faults, std::string& error) {
    if (options.has("loader-prompt")) {
        std::string text = options.get("loader-prompt");
        faults.prompt.clear();
        if (text != "none") {
            for (const std::string& part : split(text, ',')) {
                long byte = 0;
                if (!to_number(part, 16, 0, 255, byte)) {
                    error = "--loader-prompt: not a hex byte: " + part;
                    return false;
                }
                faults.prompt.push_back(static_cast<uint8_t>(byte));
            }
        }
    }
    for (const std::string& item : split(options.get("loader-errors"), ',')) {
        std::vector<std::string> f = split(item, ':');
        long line = 0, count = 0, answer = 0x12;
        if ((f.size() != 2 && f.size() != 3) || !to_number(f[0], 10, 1, 1000000, line) ||
            !to_number(f[1], 10, 1, 1000, count) || (f.size() == 3 && !to_number(f[2], 16, 0, 255, answer))) {
            error = "--loader-errors: expected N:K[:BB], got " + item;
            return false;
        }
        for (long i = 0; i < count; ++i) faults.errors[static_cast<int>(line)].push_back(static_cast<uint8_t>(answer));
    }
    for (const std::string& item : split(options.get("loader-slow"), ',')) {
        std::vector<std::string> f = split(item, ':');
        long line = 0, count = 0, delay = 300;
        if (!f.empty() && f[0] == "*") f[0] = "0";  // every record line
        if ((f.size() != 2 && f.size() != 3) || !to_number(f[0], 10, 0, 1000000, line) ||
            !to_number(f[1], 10, 1, 1000000, count) || (f.size() == 3 && !to_number(f[2], 10, 0, 600000, delay))) {
            error = "--loader-slow: expected N:K[:MS], got " + item;
            return false;
        }
        faults.slow[static_cast<int>(line)] = {static_cast<int>(count), delay};
    }
    if (!parse_line_counts(options, "loader-corrupt", faults.corrupt, error)) return false;
    for (const std::string& item : split(options.get("loader-stray"), ',')) {
        std::vector<std::string> f = split(item, ':');
        long line = 0, count = 1, answer = 0x41;
        if (f.empty() || f.size() > 3 || !to_number(f[0], 10, 1, 1000000, line) ||
            (f.size() >= 2 && !to_number(f[1], 10, 1, 1000, count)) ||
            (f.size() == 3 && !to_number(f[2], 16, 0, 255, answer)) || answer == 0x06) {
            error = "--loader-stray: expected N[:K[:BB]] with BB not ACK (06), got " + item;
            return false;
        }
        for (long i = 0; i < count; ++i) faults.stray[static_cast<int>(line)].push_back(static_cast<uint8_t>(answer));
    }
    if (!parse_line_counts(options, "loader-silent", faults.silent, error)) return false;
    if (!parse_line_counts(options, "loader-double", faults.doubled, error, 0)) return false;
    if (!parse_line_counts(options, "loader-early", faults.early, error)) return false;
    for (const std::string& item : split(options.get("loader-noise"), ',')) {
        std::vector<std::string> f = split(item, ':');
        long line = 0, ms = 3500;
        if ((f.size() != 1 && f.size() != 2) || !to_number(f[0], 10, 1, 1000000, line) ||
            (f.size() == 2 && !to_number(f[1], 10, 1, 600000, ms))) {
            error = "--loader-noise: expected N[:MS], got " + item;
            return false;
        }
        faults.noise[static_cast<int>(line)] = ms;
    }
    if (options.has("loader-drop")) {
        std::vector<std::string> f = split(options.get("loader-drop"), ':');
        long line = 0, after = faults.drop_after;
        if ((f.size() != 1 && f.size() != 2) || !to_number(f[0], 10, 1, 1000000, line) ||
            (f.size() == 2 && !to_number(f[1], 10, 0, 100000, after))) {
            error = "--loader-drop: expected N[:M], got " + options.get("loader-drop");
            return false;
        }
        faults.drop_line = static_cast<int>(line);
        faults.drop_after = after;
    }
    if (options.has("loader-rx-rate") && !to_number(options.get("loader-rx-rate"), 10, 1, 10000000, faults.rx_rate)) {
        error = "--loader-rx-rate: expected a rate in bits per second";
        return false;
    }
    return true;
}
