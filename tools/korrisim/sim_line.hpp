// The simulated device's end of the serial line, as its modes see it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class SimLine {
public:
    virtual ~SimLine() = default;
    // The next byte from the host: 0..255; -1 when nothing arrived within
    // timeout_ms (a negative timeout waits without limit); -2 when the host
    // has closed the port.
    virtual int read_byte(int timeout_ms) = 0;
    // Sends bytes to the host (paced at the line rate when pacing is on).
    virtual void write(const uint8_t* data, std::size_t count) = 0;
    void write(std::string_view text) { write(reinterpret_cast<const uint8_t*>(text.data()), text.size()); }
    // The device vanishes, as an unplugged one does: the line hangs up and
    // korrisim ends, saying where in its log.
    virtual void vanish(const std::string& where);
};

// The command-line options of korrisim, "--name=value" or "--name", as a map
// from name to value; each mode reads the names it documents.
struct SimOptions {
    std::map<std::string, std::string> values;

    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback = "") const {
        auto it = values.find(name);
        return it == values.end() ? fallback : it->second;
    }
    long get_long(const std::string& name, long fallback) const {
        auto it = values.find(name);
        return it == values.end() ? fallback : std::stol(it->second);
    }
};

// Writes one line to korrisim's log (standard error, or the --log file).
void sim_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
