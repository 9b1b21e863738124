// The download's model, in three parts: korrisim's receiver (what it answers
// to each transmission, with its --dl-* faults), the utility's side of the
// protocol (src/download: which transmission ends the step and how, on the
// host's clock) and the texts the utility prints for that ending.
#include <algorithm>
#include <cmath>
#include <optional>

#include "station/config_record.hpp"
#include "device/device_replies.hpp"
#include "download/answer_matching.hpp"
#include "download/command_packet.hpp"
#include "download/download_codes.hpp"
#include "download/download_texts.hpp"
#include "download/packet.hpp"
#include "serial/serial_port.hpp"
#include "soak_line.hpp"
#include "soak_models.hpp"

namespace {

// korrisim's console (console_texts.cpp): the power-on text, and the answer
// to the attention character with its prompt.
constexpr std::size_t POWER_ON_TEXT_BYTES = 43;
std::size_t connected_text_bytes(long rate) { return 2 + 10 + std::to_string(rate).size() + 2 + 8; }

}  // namespace

double connect_bound_ms(long rate, bool pace) {
    const double settle = settle_ms_for(static_cast<uint32_t>(rate));
    // The stale drain, korrisim's power-on, the two replies' settle times,
    // the look for waiting bytes before ctrl-C and the drain of the tail.
    double ms = read_limit_ms(rate, 40, 100) + POWER_ON_QUIET_MS + 2 * settle + 1.0 + 10000.0 / rate +
                read_limit_ms(rate, 40, CONSOLE_QUIET_MS);
    if (pace) ms += line_ms(rate, POWER_ON_TEXT_BYTES + 1 + connected_text_bytes(rate));
    return ms + SLACK_FIXED_MS;
}

std::vector<DownloadPacket> download_packets(std::size_t rule_bytes) {
    std::vector<DownloadPacket> packets{{DWN_COMMAND_PACKET_LEN, DownloadStep::conf_command}};
    const auto data = [&packets](std::size_t bytes, DownloadStep step) {
        for (std::size_t left = bytes; left > 0;) {
            const std::size_t n = std::min<std::size_t>(left, DWN_MAX_DATA);
            packets.push_back({static_cast<int>(n) + DWN_FRAME_BYTES, step});
            left -= n;
        }
    };
    data(sizeof(ConfigRecord), DownloadStep::conf_data);
    packets.push_back({DWN_COMMAND_PACKET_LEN, DownloadStep::rules_command});
    data(rule_bytes, DownloadStep::rules_data);
    packets.push_back({DWN_COMMAND_PACKET_LEN, DownloadStep::finish});
    return packets;
}

namespace {

// What korrisim's receiver does with transmission `t` of packet `n`.
struct ReceiverAnswer {
    std::optional<uint8_t> byte;  // none: the packet goes unanswered
    long delay_ms = 0;            // how late the answer comes
    long surplus = 0;             // bytes that follow the answer
};

ReceiverAnswer receiver_answer(const DownloadFaultPlan& f, long n, int t) {
    ReceiverAnswer a;
    // The faults in the order the receiver applies them.
    if (f.drop_packet == n && t == 1) a.byte.reset();
    else if (f.corrupt_packet == n && t <= f.corrupt_times) a.byte = DWN_NAK;
    else if (f.silent_packet == n) a.byte.reset();
    else if (f.stray_packet == n) a.byte = f.stray_byte;
    else if (f.nak_packet == n && t <= f.nak_times) a.byte = DWN_NAK;
    else a.byte = DWN_ACK;
    if (!a.byte) return a;
    a.delay_ms = f.late_packet == n ? f.late_ms : 0;
    a.surplus = (f.double_packet == n ? 1 : 0) + (f.noise_packet == n ? 1 : 0) +
                (*a.byte == DWN_ACK && f.early_packet == n + 1 ? 1 : 0);
    return a;
}

// How the utility's download ended, and how long it took.
struct DownloadRun {
    int steps_succeeded = 0;        // success texts printed: the configuration's, then the rules'
    bool out_of_step = false;       // bytes came after the last answer of a step
    DownloadStep failed_step{};     // the step whose packet failed
    int packet_result = 0;          // dwn_write_pkt's failure, 0 for none
    uint8_t bad_answer = 0;         // the answer of DWN_PKT_BAD_ANSWER
    long surplus = 0;               // the bytes of DWN_STRAY_BYTES or of an out-of-step ending
    double ms = 0;
    long exchanges = 0;             // transmissions
    bool ambiguous = false;
};

DownloadRun host_download(const DownloadFaultPlan& f, const std::vector<DownloadPacket>& packets, long rate) {
    DownloadRun run;
    // The drain before the first packet (an ACK korrisim sends as its
    // receiver starts is dropped there), the look for waiting bytes before
    // each transmission, and the quiet before each success text.
    const double discard_ms = 1.0 + static_cast<double>(10000 / rate);
    const double quiet_ms = read_limit_ms(rate, 1, DWN_QUIET_MS);
    run.ms = read_limit_ms(rate, 16, DWN_SETTLE_MS);
    long waiting = 0;  // bytes that follow the last answer taken
    bool answer_taken = false;
    // The check before a success text: bytes after the last answer.
    const auto quiet = [&]() {
        run.ms += quiet_ms;
        if (waiting == 0) return true;
        run.out_of_step = true;
        run.surplus = waiting;
        return false;
    };
    const auto failed = [&run](DownloadStep step, int result) {
        run.failed_step = step;
        run.packet_result = result;
        return run;
    };
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const long n = static_cast<long>(i) + 1;
        const DownloadPacket& p = packets[i];
        if (p.step == DownloadStep::rules_command || p.step == DownloadStep::finish) {
            if (!quiet()) return run;
            ++run.steps_succeeded;
        }
        for (int t = 1;; ++t) {
            run.ms += discard_ms;
            if (waiting > 0 && answer_taken) {
                run.surplus = waiting;
                return failed(p.step, DWN_STRAY_BYTES);
            }
            ++run.exchanges;
            const ReceiverAnswer answer = receiver_answer(f, n, t);
            const auto delay = static_cast<double>(answer.delay_ms);
            if (f.pace) run.ms += line_ms(rate, static_cast<std::size_t>(p.length) + 1);
            const double wait_ms = read_limit_ms(
                rate, 1,
                DWN_ANSWER_TIMEOUT_MS + static_cast<int>(line_time_ms(rate, static_cast<std::size_t>(p.length) + 1)));
            if (answer.byte && std::abs(delay - wait_ms) < TIMING_MARGIN_MS) run.ambiguous = true;
            // The download has the port hand NUL bytes over like any other
            // byte; an answer past the wait is none.
            if (!answer.byte || delay >= wait_ms) {
                run.ms += wait_ms;
                return failed(p.step, DWN_PKT_NO_ANSWER);
            }
            run.ms += delay;
            answer_taken = true;
            waiting = answer.surplus;
            if (f.pace) run.ms += line_ms(rate, static_cast<std::size_t>(waiting));
            if (*answer.byte == DWN_ACK) break;
            if (*answer.byte != DWN_NAK) {
                run.bad_answer = *answer.byte;
                return failed(p.step, DWN_PKT_BAD_ANSWER);
            }
            if (t == DWN_MAX_TRANSMISSIONS) return failed(p.step, DWN_PKT_REFUSED);
            run.ms += quiet_ms;  // the drain after a NAK
            if (waiting > 0) {
                run.surplus = waiting;
                return failed(p.step, DWN_STRAY_BYTES);
            }
        }
    }
    quiet();
    return run;
}

// What dwn_write_pkt prints for its failure.
std::string packet_failure_text(const DownloadRun& run) {
    switch (run.packet_result) {
    case DWN_PKT_NO_ANSWER: return "\a\aError: reading ack or nak: 0\n";
    case DWN_PKT_BAD_ANSWER: return "\a\aError: reading ack or nak: got " + hex_byte(run.bad_answer) + "\n";
    case DWN_STRAY_BYTES:
        return "\a\aError: unexpected bytes on the line of COM port COM1 (" + std::to_string(run.surplus) +
               " discarded) before a packet: an earlier answer may belong to another packet\n";
    default: return "";
    }
}

// The step's whole output, from the command to the prompt.
std::string download_text(const DownloadRun& run, bool ask_config, bool ask_rules) {
    std::string text = (ask_config ? Q_CONFIG : "") + (ask_rules ? Q_RULES : "");
    // The last success text is held until the next line: answers found out
    // of step take it back.
    const bool out_of_step = run.out_of_step || run.packet_result == DWN_STRAY_BYTES;
    const int shown = run.steps_succeeded - (out_of_step && run.steps_succeeded > 0 ? 1 : 0);
    if (shown >= 1) text += "Downloading Configuration succeeded\n";
    if (shown >= 2) text += "Downloading Rules succeeded\n";
    if (run.out_of_step) {
        text += "\a\aError: bytes after the last answer (" + std::to_string(run.surplus) +
                "): the device's answers were out of step with the packets\n";
        text += "\a\aError: Download failed: " + std::to_string(DWN_OUT_OF_STEP) + "\n";
    } else if (run.packet_result != 0) {
        text += packet_failure_text(run);
        const std::string r = std::to_string(run.packet_result);
        switch (run.failed_step) {
        case DownloadStep::conf_command: text += "\a\aError: writing Configuration command failed: " + r + "\n"; break;
        case DownloadStep::conf_data:
            text += "\a\aError: writing data pkt: " + r + "\n\a\aError: writing Configuration file failed: -3\n";
            break;
        case DownloadStep::rules_command: text += "\a\aError: writing Rules command failed: " + r + "\n"; break;
        case DownloadStep::rules_data:
            text += "\a\aError: writing data pkt: " + r + "\n\a\aError: writing Rules file failed: -3\n";
            break;
        case DownloadStep::finish: text += "\a\aError: error writing finish pkt: " + r + "\n"; break;
        }
        text += "\a\aError: Download failed: -" + std::to_string(static_cast<int>(run.failed_step)) + "\n";
    }
    return text + ENDING + "Command> ";
}

}  // namespace

Expectation expect_download(const DownloadFaultPlan& f, std::size_t rule_bytes, long rate, bool ask_config,
                            bool ask_rules) {
    const DownloadRun run = host_download(f, download_packets(rule_bytes), rate);
    Expectation e;
    e.success = run.packet_result == 0 && !run.out_of_step;
    e.text = download_text(run, ask_config, ask_rules);
    e.exchanges = run.exchanges;
    e.ambiguous = run.ambiguous;
    e.bound_ms = run.ms + SLACK_FIXED_MS + SLACK_PER_EXCHANGE_MS * static_cast<double>(e.exchanges);
    return e;
}
