#include "download/answer_matching.hpp"

#include <cstdio>

#include "process/interrupt.hpp"
#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"

namespace {

constexpr int SETTLE_CHUNK = 16;
bool g_answer_taken = false;

void report_stray(SerialPort& port, long bytes) {
    std::printf("\a\aError: unexpected bytes on the line of COM port %s (%ld discarded) before a packet: "
                "an earlier answer may belong to another packet\n",
                port.name(), bytes);
}

}  // namespace

bool dwn_begin_answers(SerialPort& port) {
    g_answer_taken = false;
    // A NUL byte is a byte like any other here: dropped by the driver, an
    // answer damaged into NUL behind an added ACK would go unseen.
    if (!keep_nul_bytes(port)) return false;
    drain_stale_input(port, SETTLE_CHUNK, DWN_SETTLE_MS);
    return true;
}

int dwn_before_transmission(SerialPort& port) {
    const long bytes = discard_waiting(port);
    if (bytes == 0) return 0;
    if (!g_answer_taken) {
        std::printf("\a\aWarning: unexpected bytes on the line of COM port %s (%ld discarded) before the first "
                    "packet, going on\n",
                    port.name(), bytes);
        return 0;
    }
    report_stray(port, bytes);
    return DWN_STRAY_BYTES;
}

void dwn_answer_taken() { g_answer_taken = true; }

int dwn_after_nak(SerialPort& port) {
    const Drained drained = drain_input(port, 1, DWN_QUIET_MS);
    if (drained.bytes == 0) return 0;
    // A line still sending when the drain gives up fails here as well.
    report_stray(port, drained.bytes);
    return DWN_STRAY_BYTES;
}

bool dwn_quiet_after_answers(SerialPort& port) {
    const Drained drained = drain_input(port, 1, DWN_QUIET_MS);
    if (cancel_requested()) {  // the quiet was not waited for
        std::printf("\a\aError: download cancelled by Ctrl-C\n");
        return false;
    }
    if (drained.bytes == 0) return true;
    std::printf("\a\aError: bytes after the last answer (%ld): the device's answers were out of step with "
                "the packets\n",
                drained.bytes);
    return false;
}
