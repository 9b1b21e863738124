#include "soak_models.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "config/config_record.hpp"
#include "device/device_replies.hpp"
#include "download/answer_matching.hpp"
#include "download/command_packet.hpp"
#include "download/download.hpp"
#include "download/download_texts.hpp"
#include "download/packet.hpp"
#include "firmware/firmware_update.hpp"
#include "firmware/firmware_update_answers.hpp"
#include "rules/rule_record.hpp"
#include "serial/serial_port.hpp"

namespace {

// A read of `bytes` with a time-out of `ms` ends at the latest after this
// long (serial_port.cpp: 10 ms more, and 10000 / rate ms a byte).
double read_limit_ms(long rate, int bytes, int ms) { return ms + 10.0 + bytes * (10000 / rate); }

double line_ms(long rate, std::size_t bytes) { return static_cast<double>(bytes) * 10000.0 / static_cast<double>(rate); }

std::string hex_byte(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(b));
    return text;
}

// korrisim's console (console_texts.cpp): the power-on text, and the answer
// to the attention character with its prompt.
constexpr std::size_t POWER_ON_TEXT_BYTES = 43;
std::size_t connected_text_bytes(long rate) { return 2 + 10 + std::to_string(rate).size() + 2 + 8; }
// korrisim powers on after the host has left its queues alone this long.
constexpr double POWER_ON_QUIET_MS = 300;

// The firmware update's waits (firmware_update.cpp).
constexpr int FW_DRAIN_MS = 100;
constexpr int FW_PROMPT_REST_MS = 100;
constexpr int FW_QUIET_CHUNK = 64;

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

Expectation expect_download(const DownloadFaultPlan& f, std::size_t rule_bytes, long rate, bool ask_config,
                            bool ask_rules) {
    // The packets in order, each with the step it belongs to.
    enum Step { conf_command = 1, conf_data, rules_command, rules_data, finish };
    struct Packet {
        int length;
        Step step;
    };
    std::vector<Packet> packets{{DWN_COMMAND_PACKET_LEN, conf_command}};
    for (std::size_t left = sizeof(ConfigRecord); left > 0;) {
        const std::size_t n = std::min<std::size_t>(left, DWN_MAX_DATA);
        packets.push_back({static_cast<int>(n) + DWN_FRAME_BYTES, conf_data});
        left -= n;
    }
    packets.push_back({DWN_COMMAND_PACKET_LEN, rules_command});
    for (std::size_t left = rule_bytes; left > 0;) {
        const std::size_t n = std::min<std::size_t>(left, DWN_MAX_DATA);
        packets.push_back({static_cast<int>(n) + DWN_FRAME_BYTES, rules_data});
        left -= n;
    }
    packets.push_back({DWN_COMMAND_PACKET_LEN, finish});

    Expectation e;
    std::string text = (ask_config ? Q_CONFIG : "") + (ask_rules ? Q_RULES : "");
    // The drain before the first packet (an ACK korrisim sends as its
    // receiver starts is dropped there), the look for waiting bytes before
    // each transmission, and the quiet before each success text.
    const double discard_ms = 1.0 + static_cast<double>(10000 / rate);
    const double quiet_ms = read_limit_ms(rate, 1, DWN_QUIET_MS);
    double ms = read_limit_ms(rate, 16, DWN_SETTLE_MS);
    Step failed_step{};
    int packet_result = 0;  // dwn_write_pkt's failure
    std::string packet_message;
    bool out_of_step = false;
    long waiting = 0;       // bytes that follow the last answer taken
    bool answer_taken = false;
    const auto stray_message = [](long bytes) {
        return "\a\aError: unexpected bytes on the line of COM port COM1 (" + std::to_string(bytes) +
               " discarded) before a packet: an earlier answer may belong to another packet\n";
    };
    // The check before a success text: bytes after the last answer.
    const auto quiet = [&]() {
        ms += quiet_ms;
        if (waiting == 0) return true;
        text += "\a\aError: bytes after the last answer (" + std::to_string(waiting) +
                "): the device's answers were out of step with the packets\n";
        out_of_step = true;
        return false;
    };
    for (std::size_t i = 0; i < packets.size() && packet_result == 0 && !out_of_step; ++i) {
        const long n = static_cast<long>(i) + 1;
        const Packet& p = packets[i];
        if (i > 0 && p.step == rules_command) {
            if (!quiet()) break;
            text += "Downloading Configuration succeeded\n";
        }
        if (p.step == finish) {
            if (!quiet()) break;
            text += "Downloading Rules succeeded\n";
        }
        for (int t = 1;; ++t) {
            ms += discard_ms;
            if (waiting > 0 && answer_taken) {
                packet_result = DWN_STRAY_BYTES;
                packet_message = stray_message(waiting);
                break;
            }
            ++e.exchanges;
            // What korrisim's receiver does with this transmission, in its order.
            std::optional<uint8_t> answer;
            if (f.drop_packet == n && t == 1) answer.reset();
            else if (f.corrupt_packet == n && t <= f.corrupt_times) answer = DWN_NAK;
            else if (f.silent_packet == n) answer.reset();
            else if (f.stray_packet == n) answer = f.stray_byte;
            else if (f.nak_packet == n && t <= f.nak_times) answer = DWN_NAK;
            else answer = DWN_ACK;
            const long delay = f.late_packet == n ? f.late_ms : 0;
            if (f.pace) ms += line_ms(rate, static_cast<std::size_t>(p.length) + 1);
            const double wait_ms = read_limit_ms(rate, 1, DWN_ANSWER_TIMEOUT_MS);
            if (answer && std::abs(static_cast<double>(delay) - wait_ms) < TIMING_MARGIN_MS) e.ambiguous = true;
            // The download has the port hand NUL bytes over like any other
            // byte; an answer past the wait is none.
            if (!answer || static_cast<double>(delay) >= wait_ms) {
                ms += wait_ms;
                packet_result = -4;
                packet_message = "\a\aError: reading ack or nak: 0\n";
                break;
            }
            ms += static_cast<double>(delay);
            answer_taken = true;
            // What korrisim sends with the answer.
            waiting = (f.double_packet == n ? 1 : 0) + (f.noise_packet == n ? 1 : 0) +
                      (*answer == DWN_ACK && f.early_packet == n + 1 ? 1 : 0);
            if (f.pace) ms += line_ms(rate, static_cast<std::size_t>(waiting));
            if (*answer == DWN_ACK) break;
            if (*answer != DWN_NAK) {
                packet_result = -5;
                packet_message = "\a\aError: reading ack or nak: got " + hex_byte(*answer) + "\n";
                break;
            }
            if (t == DWN_MAX_TRANSMISSIONS) {
                packet_result = -6;
                break;
            }
            ms += quiet_ms;  // the drain after a NAK
            if (waiting > 0) {
                packet_result = DWN_STRAY_BYTES;
                packet_message = stray_message(waiting);
                break;
            }
        }
        if (packet_result != 0) failed_step = p.step;
    }
    if (packet_result == 0 && !out_of_step) quiet();
    if (packet_result == 0 && !out_of_step) {
        e.success = true;
        text += ENDING;
    } else if (out_of_step) {
        text += "\a\aError: Download failed: " + std::to_string(DWN_OUT_OF_STEP) + "\n" + ENDING;
    } else {
        text += packet_message;
        const std::string r = std::to_string(packet_result);
        switch (failed_step) {
        case conf_command: text += "\a\aError: writing Configuration command failed: " + r + "\n"; break;
        case conf_data:
            text += "\a\aError: writing data pkt: " + r + "\n\a\aError: writing Configuration file failed: -3\n";
            break;
        case rules_command: text += "\a\aError: writing Rules command failed: " + r + "\n"; break;
        case rules_data:
            text += "\a\aError: writing data pkt: " + r + "\n\a\aError: writing Rules file failed: -3\n";
            break;
        case finish: text += "\a\aError: error writing finish pkt: " + r + "\n"; break;
        }
        text += "\a\aError: Download failed: -" + std::to_string(static_cast<int>(failed_step)) + "\n" + ENDING;
    }
    e.text = text + "Command> ";
    e.bound_ms = ms + SLACK_FIXED_MS + SLACK_PER_EXCHANGE_MS * static_cast<double>(e.exchanges);
    return e;
}

namespace {

bool is_hex_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The loader's answer to a record line of the file with its middle character
// damaged (korrisim flips the character's lowest bit): a hex digit still
// parses but breaks the checksum, anything else breaks the syntax.
uint8_t answer_to_damaged(const std::string& line) {
    const char damaged = static_cast<char>(line[line.size() / 2] ^ 0x01);
    return is_hex_digit(damaged) ? FIRM_BAD_CHECKSUM : FIRM_VALIDATION;
}

const char* resend_reason(uint8_t answer) {
    switch (answer) {
    case 0x00: return "timed out";
    case FIRM_NO_START: return "didn't get start character";
    case FIRM_BAD_CHECKSUM: return "bad record checksum";
    case FIRM_VALIDATION: return "validation";
    default: return nullptr;
    }
}

}  // namespace

Expectation expect_firmware(const LoaderFaultPlan& faults, const std::vector<HexLine>& lines) {
    LoaderFaultPlan f = faults;  // the answer queues are used up as the loader uses them
    Expectation e;
    const long rate = FIRMWARE_BAUD;
    // Open, drain, power-on after the purge, the prompt and the rest of its
    // read, the sync and the identification.
    double setup = read_limit_ms(rate, 1024, FW_DRAIN_MS) + POWER_ON_QUIET_MS + read_limit_ms(rate, 3, FW_PROMPT_REST_MS);
    if (f.pace) setup += line_ms(rate, 1 + 2 + 9 + 1);

    // The transfer on one clock (ms from the identification's ACK): the
    // host's writes and reads, and the loader's bytes, each at the time it
    // reaches the host. The loader takes the transmissions in order, one at
    // a time, and writes its answer with any doubled or early ACK at once.
    struct Arrival {
        double at;
        uint8_t byte;
    };
    std::deque<Arrival> pending;  // bytes on their way or waiting to be read
    double now = 0;               // the host's clock
    double loader_free = 0;       // when the loader can take the next transmission
    int accepted = 0;             // the loader's count of record lines taken
    int early_answered = 0;       // the record line whose ACK went out before it
    std::map<int, int> heard;     // the loader's transmissions of each record line number
    bool dead = false;            // the line has dropped
    const double byte_ms = f.pace ? line_ms(rate, 1) : 0.0;
    const auto close_to = [&e](double at, double deadline) {
        if (at > deadline - TIMING_MARGIN_MS && at < deadline + TIMING_MARGIN_MS) e.ambiguous = true;
    };
    // The loader's write of `byte` `times` over, starting at `at`.
    const auto loader_writes = [&](double at, uint8_t byte, int times) {
        for (int i = 1; i <= times; ++i) {
            if (byte != 0) pending.push_back({at + byte_ms * i, byte});  // NUL bytes never reach the host
        }
        loader_free = at + byte_ms * times;
    };
    // Whether the next record line's ACK rides with this write.
    const auto early_next = [&] {
        auto it = f.early.find(accepted + 1);
        if (it == f.early.end() || it->second <= 0) return false;
        it->second = 0;
        early_answered = accepted + 1;
        return true;
    };
    if (early_next()) loader_writes(0, FIRM_ACK, 1);
    // The loader's side of a transmission written at `written`.
    const auto transmit = [&](double written, const HexLine& line, std::size_t length) {
        const int number = accepted + 1;
        if (!dead && f.drop_line == number && heard.count(number) == 0) dead = true;
        if (dead) return;
        const double start = std::max(written, loader_free);
        loader_free = start;
        const int t = ++heard[number];
        if (f.silent.count(number) != 0 && t <= f.silent[number]) return;
        uint8_t answer = FIRM_ACK;
        auto& injected = f.errors[number];
        if (!injected.empty()) {
            answer = injected.front();
            injected.pop_front();
        } else if (f.corrupt.count(number) != 0 && t <= f.corrupt[number]) {
            answer = answer_to_damaged(line.text);
        } else {
            ++accepted;
        }
        auto& stray = f.stray[number];
        if (!stray.empty()) {
            answer = stray.front();
            stray.pop_front();
        }
        long delay = 0;
        auto slow = f.slow.find(number);
        if (slow == f.slow.end()) slow = f.slow.find(0);
        if (slow != f.slow.end() && t <= slow->second.count) delay = slow->second.delay_ms;
        // With the line modelled the answer waits until the whole line could
        // have arrived.
        const double at = start + std::max(static_cast<double>(delay), f.pace ? line_ms(rate, length) : 0.0);
        const bool before = early_answered == number;
        if (before) early_answered = 0;
        const bool twice = f.doubled.count(number) != 0 && t <= f.doubled[number] && !before;
        const bool early = accepted >= number && early_next();
        if (before && !early) {
            loader_free = at;
            return;
        }
        if (before) answer = FIRM_ACK;
        loader_writes(at, answer, (before ? 0 : twice ? 2 : 1) + (early ? 1 : 0));
    };
    // The host reads until the line has been quiet for `quiet_ms`: reads of
    // 64 bytes, each to its time-out, until one comes back empty. The bytes
    // read.
    const auto bytes_until_quiet = [&](int quiet_ms) {
        long bytes = 0;
        for (;;) {
            const double end = now + read_limit_ms(rate, FW_QUIET_CHUNK, quiet_ms);
            long got = 0;
            for (const Arrival& a : pending) close_to(a.at, end);
            while (!pending.empty() && pending.front().at < end) {
                pending.pop_front();
                ++got;
            }
            now = end;
            bytes += got;
            if (got == 0) return bytes;
        }
    };
    const auto out_of_step = [&e](long bytes, const HexLine& line) {
        e.errors.push_back("Error: Firmware updating error: " + std::to_string(bytes) + " unexpected bytes on Line " +
                           std::to_string(line.file_line) +
                           ", an answer may have been taken for the wrong line- aborting!");
    };

    int errors = 0;
    bool aborted = false;
    for (std::size_t i = 0; i < lines.size() && !aborted; ++i) {
        const HexLine& line = lines[i];
        const std::size_t length = line.text.size() + 1;  // and its CR
        const double wait = read_limit_ms(rate, 1, LOADER_ANSWER_LIMIT_MS + static_cast<int>(line_time_ms(rate, length)));
        for (;;) {
            // What is waiting before the transmission is read without a wait.
            long waiting = 0;
            for (const Arrival& a : pending) close_to(a.at, now);
            while (!pending.empty() && pending.front().at <= now) {
                pending.pop_front();
                ++waiting;
            }
            if (waiting > 0) {
                out_of_step(waiting, line);
                aborted = true;
                break;
            }
            ++e.exchanges;
            const double written = now;
            transmit(written, line, length);
            const double end = written + wait;
            uint8_t seen = 0;
            bool answered = false;
            if (!pending.empty()) close_to(pending.front().at, end);
            if (!pending.empty() && pending.front().at <= end) {
                seen = pending.front().byte;
                answered = true;
                now = std::max(written, pending.front().at);
                pending.pop_front();
            } else {
                now = end;
            }
            if (answered && seen == FIRM_ACK) break;
            if (++errors >= FIRMWARE_MAX_ERRORS) {
                e.errors.push_back("Error: maximum Firmware updating errors (" + std::to_string(FIRMWARE_MAX_ERRORS) +
                                   ") encountered- aborting!");
                aborted = true;
                break;
            }
            const std::string at = " on Line " + std::to_string(line.file_line);
            if (seen == FIRM_BUFFER_FULL || seen == FIRM_FATAL) {
                e.errors.push_back(std::string("Error: Firmware updating error: ") +
                                   (seen == FIRM_BUFFER_FULL ? "buffer full" : "fatal") + at + "- aborting!");
                aborted = true;
                break;
            }
            if (answered) {
                if (const long more = bytes_until_quiet(ANSWER_TIMEOUT_MS); more > 0) {
                    out_of_step(more, line);
                    aborted = true;
                    break;
                }
            }
            const char* reason = resend_reason(seen);
            e.errors.push_back(reason != nullptr
                                   ? "Error: Firmware updating error: " + std::string(reason) + at + ", resending."
                                   : "Error: Firmware updating error: unknown (" + hex_byte(seen) + ")" + at +
                                         ", resending.");
        }
    }
    if (!aborted) {
        if (const long after = bytes_until_quiet(LOADER_ANSWER_LIMIT_MS); after > 0) {
            e.errors.push_back("Error: Firmware updating error: " + std::to_string(after) +
                               " bytes came after the last answer, an answer was taken for the wrong line!");
            aborted = true;
        }
    }
    e.success = !aborted;
    if (e.success) {
        e.text = "Disconnected\n\a\aFirmware update succeeded!\n\nPower cycle Korrimatic!\n"
                 "Don't forget to Configure Operating Parameters, Process Rules\nand Download these to the Korrimatic!\n";
    } else {
        e.errors.push_back("Error: Firmware update failed!");
        e.text = "Disconnected\nError: Firmware update failed!\n\tPower cycle Korrimatic and try again!\n";
    }
    e.text += "Command> ";
    e.bound_ms = setup + now + SLACK_FIXED_MS + SLACK_PER_EXCHANGE_MS * static_cast<double>(e.exchanges);
    return e;
}
