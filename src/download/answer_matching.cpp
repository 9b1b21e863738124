#include "download/answer_matching.hpp"

#include "process/interrupt.hpp"
#include "text/sink.hpp"
#include "download/held_text.hpp"
#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"

namespace {

constexpr int SETTLE_CHUNK = 16;

void report_stray(SerialPort& port, long bytes, Sink& out) {
    drop_held(out);
    out.error("unexpected bytes on the line of COM port %s (%ld discarded) before a packet: "
               "an earlier answer may belong to another packet\n",
               port.name(), bytes);
}

}  // namespace

bool dwn_begin_answers(SerialPort& port, DwnAnswers& answers) {
    answers.taken = false;
    answers.probes_left = DWN_PROBE_ANSWERS;
    answers.timing.begin();
    // A NUL byte is a byte like any other here: dropped by the driver, an
    // answer damaged into NUL behind an added ACK would go unseen.
    if (!keep_nul_bytes(port)) return false;
    drain_stale_input(port, SETTLE_CHUNK, DWN_SETTLE_MS);
    return true;
}

int dwn_before_transmission(SerialPort& port, const DwnAnswers& answers, Sink& out) {
    const long bytes = discard_waiting(port);
    if (bytes == 0) return 0;
    if (!answers.taken) {
        out.warning("unexpected bytes on the line of COM port %s (%ld discarded) before the first "
                     "packet, going on\n",
                     port.name(), bytes);
        return 0;
    }
    report_stray(port, bytes, out);
    return DWN_STRAY_BYTES;
}

void dwn_transmitting(SerialPort& port, DwnAnswers& answers, int len) {
    answers.timing.sent(port, static_cast<std::size_t>(len));
}

int dwn_answer_taken(SerialPort& port, DwnAnswers& answers, int wait_ms, Sink& out) {
    answers.taken = true;
    const bool probe = answers.probes_left > 0;
    if (probe) --answers.probes_left;
    // Too soon for this packet: its own answer, if that was another, is
    // still to come within the wait.
    const bool soon = answers.timing.too_soon(port, probe) && answers.timing.followed(port, wait_ms);
    if (answers.timing.take_note() && out.operator_at_terminal()) {
        out.printf("Note: the Korrimatic answers sooner than %s could carry bytes at %u baud (a pseudo-terminal, or "
                    "a USB device that ignores the rate): its answers are not held to the line's time\n",
                    port.name(), static_cast<unsigned>(port_rate(port)));
    }
    if (!soon) return 0;
    drop_held(out);
    out.error("an answer came sooner after its packet began than the packet's %.1f ms on the line of "
               "COM port %s: it answers another packet\n",
               static_cast<double>(answers.timing.shortest_us()) / 1000.0, port.name());
    return DWN_STRAY_BYTES;
}

int dwn_after_nak(SerialPort& port, Sink& out) {
    const Drained drained = drain_input(port, 1, DWN_QUIET_MS);
    if (drained.bytes == 0) return 0;
    // A line still sending when the drain gives up fails here as well.
    report_stray(port, drained.bytes, out);
    return DWN_STRAY_BYTES;
}

bool dwn_quiet_after_answers(SerialPort& port, Sink& out) {
    const Drained drained = drain_input(port, 1, DWN_QUIET_MS);
    if (cancel_requested()) {  // the quiet was not waited for
        out.error("download cancelled by Ctrl-C\n");
        return false;
    }
    if (drained.bytes == 0) return true;
    drop_held(out);
    out.error("bytes after the last answer (%ld): the device's answers were out of step with "
               "the packets\n",
               drained.bytes);
    return false;
}
