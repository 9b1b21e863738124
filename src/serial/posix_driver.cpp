// Placeholder POSIX driver: every port fails to open until the termios driver
// is built.
#include <cerrno>
#include <cstring>

#include "serial/serial_driver.hpp"

namespace {

class UnavailableDriver final : public SerialDriver {
public:
    bool open(const char*) override { return false; }
    bool get_properties(CommProperties&, uint16_t) override { return false; }
    bool get_line_settings(LineSettings&) override { return false; }
    bool set_line_settings(const LineSettings&) override { return false; }
    bool set_timeouts(const CommTimeouts&) override { return false; }
    bool read(uint8_t*, std::size_t, std::size_t& got, const ReadUntil*) override { got = 0; return false; }
    bool write(const uint8_t*, std::size_t, std::size_t& written) override { written = 0; return false; }
    void purge() override {}
    void close() override {}
    uint32_t last_error() override { return ENOSYS; }
    std::string error_text(uint32_t code) override { return std::strerror(static_cast<int>(code)); }
    void pause_ms(uint32_t) override {}
};

}  // namespace

std::unique_ptr<SerialDriver> make_platform_driver() { return std::make_unique<UnavailableDriver>(); }
