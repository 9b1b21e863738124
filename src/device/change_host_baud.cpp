// Changing the device's host-port rate.
#include <cstdio>

#include "device/device_link.hpp"
#include "device/device_replies.hpp"
#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"

namespace {

constexpr int DRAIN_CHUNK = 40;

}  // namespace

bool change_host_baud(SerialPort& port, int32_t rate, Sink& out) {
    // Only what the console says after a command can answer it: what it said
    // before is dropped, and so is its answer to the rate command itself,
    // so that the prompt the re-prompt finds is the answer to its own CR.
    drain_stale_input(port, DRAIN_CHUNK, CONSOLE_QUIET_MS);
    char command[40];
    int length = std::snprintf(command, sizeof command, "host %ld\r", static_cast<long>(rate));
    if (write_port(port, command, length) <= 0) {
        out.error("wrote Host Baud command, got error on port %s\n", port.name());
        close_port(port);
        return false;
    }
    drain_stale_input(port, DRAIN_CHUNK, CONSOLE_QUIET_MS);
    // The host's own port keeps the rate it was opened at.
    return connect_device(port, port.name(), rate, true, out);
}
