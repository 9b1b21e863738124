#include "serial/com_numbers.hpp"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr int COM_MAX = 20;

// The device a path names, its links followed (as far as they exist).
std::string device_of(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// n when `text` is `prefix` followed by a decimal number n in 1..max, else 0.
int number_after(const std::string& text, const std::string& prefix, int offset) {
    if (text.rfind(prefix, 0) != 0 || text.size() == prefix.size() || text.size() > prefix.size() + 2) return 0;
    int n = 0;
    for (std::size_t i = prefix.size(); i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        n = n * 10 + (text[i] - '0');
    }
    n += offset;
    return n >= 1 && n <= COM_MAX ? n : 0;
}

}  // namespace

std::vector<ComMapping> com_mappings_in_force() {
    std::vector<ComMapping> mappings;
    for (int n = 1; n <= COM_MAX; ++n) {
        const char* path = std::getenv(("KORRIMATIC_COM" + std::to_string(n)).c_str());
        if (path != nullptr && path[0] != '\0') mappings.push_back({n, path});
    }
    return mappings;
}

int com_number_of(const std::string& port, const std::vector<ComMapping>& mappings) {
    if (const int n = number_after(port, "COM", 0); n != 0) return n;
    const std::string device = device_of(port);
    for (const ComMapping& m : mappings) {
        if (device_of(m.path) == device) return m.number;
    }
    const int n = number_after(device, "/dev/ttyS", 1);
    for (const ComMapping& m : mappings) {
        if (m.number == n) return 0;  // COMn is another device now
    }
    return n;
}
