// The firmware update's model, in three parts on one clock: korrisim's loader
// (which transmissions it takes and when each byte of its answers reaches
// the host, with its --loader-* faults), the utility's side of the loader
// protocol (src/firmware: when it reads, what it makes of what it finds, on
// the host's clock) and the texts the utility prints for what it found.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>

#include "firmware/firmware_update.hpp"
#include "firmware/firmware_update_answers.hpp"
#include "serial/answer_timing.hpp"
#include "serial/serial_port.hpp"
#include "soak_line.hpp"
#include "soak_models.hpp"

namespace {

// The firmware update's waits (firmware_update.cpp).
constexpr int FW_DRAIN_MS = 100;
constexpr int FW_PROMPT_REST_MS = 100;
constexpr int FW_QUIET_CHUNK = 64;

// A byte of the loader and when it reaches the host.
struct Arrival {
    double at;
    uint8_t byte;
};

bool is_hex_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The loader's answer to a record line of the file with its middle character
// damaged (korrisim flips the character's lowest bit): a hex digit still
// parses but breaks the checksum, anything else breaks the syntax.
uint8_t answer_to_damaged(const std::string& line) {
    const char damaged = static_cast<char>(line[line.size() / 2] ^ 0x01);
    return is_hex_digit(damaged) ? FIRM_BAD_CHECKSUM : FIRM_VALIDATION;
}

// korrisim's loader (ms from the identification's ACK). It takes the
// transmissions in order, one at a time, and writes its answer with any
// doubled or early ACK at once; its bytes wait on the line until the host
// reads them.
class LoaderModel {
public:
    LoaderModel(const LoaderFaultPlan& faults, long rate)
        : f_(faults), rate_(rate), byte_ms_(faults.pace ? line_ms(rate, 1) : 0.0) {
        if (early_next()) writes(0, FIRM_ACK, 1);
    }

    // The loader's side of a transmission of `line` (`length` bytes with its
    // CR) written at `written`.
    void transmit(double written, const HexLine& line, std::size_t length) {
        const int number = accepted_ + 1;
        if (!dead_ && f_.drop_line == number && heard_.count(number) == 0) dead_ = true;
        if (dead_) return;
        const double start = std::max(written, free_);
        free_ = start;
        const int t = ++heard_[number];
        if (f_.silent.count(number) != 0 && t <= f_.silent[number]) return;
        uint8_t answer = FIRM_ACK;
        auto& injected = f_.errors[number];
        if (!injected.empty()) {
            answer = injected.front();
            injected.pop_front();
        } else if (f_.corrupt.count(number) != 0 && t <= f_.corrupt[number]) {
            answer = answer_to_damaged(line.text);
        } else {
            ++accepted_;
        }
        auto& stray = f_.stray[number];
        if (!stray.empty()) {
            answer = stray.front();
            stray.pop_front();
        }
        long delay = 0;
        auto slow = f_.slow.find(number);
        if (slow == f_.slow.end()) slow = f_.slow.find(0);
        if (slow != f_.slow.end() && t <= slow->second.count) delay = slow->second.delay_ms;
        // With the line modelled the answer waits until the whole line could
        // have arrived.
        const double at = start + std::max(static_cast<double>(delay), f_.pace ? line_ms(rate_, length) : 0.0);
        const bool before = early_answered_ == number;
        if (before) early_answered_ = 0;
        const bool twice = f_.doubled.count(number) != 0 && t <= f_.doubled[number] && !before;
        const bool early = accepted_ >= number && early_next();
        if (before && !early) {
            free_ = at;
            return;
        }
        if (before) answer = FIRM_ACK;
        writes(at, answer, (before ? 0 : twice ? 2 : 1) + (early ? 1 : 0));
    }

    // The loader's bytes on their way to the host or waiting to be read.
    std::deque<Arrival>& line() { return pending_; }

private:
    // The loader's write of `byte` `times` over, starting at `at`.
    void writes(double at, uint8_t byte, int times) {
        for (int i = 1; i <= times; ++i) {
            if (byte != 0) pending_.push_back({at + byte_ms_ * i, byte});  // NUL bytes never reach the host
        }
        free_ = at + byte_ms_ * times;
    }

    // Whether the next record line's ACK rides with this write.
    bool early_next() {
        auto it = f_.early.find(accepted_ + 1);
        if (it == f_.early.end() || it->second <= 0) return false;
        it->second = 0;
        early_answered_ = accepted_ + 1;
        return true;
    }

    LoaderFaultPlan f_;  // the answer queues are used up as the loader uses them
    long rate_;
    double byte_ms_;
    std::deque<Arrival> pending_;
    double free_ = 0;             // when the loader can take the next transmission
    int accepted_ = 0;            // the loader's count of record lines taken
    int early_answered_ = 0;      // the record line whose ACK went out before it
    std::map<int, int> heard_;    // the loader's transmissions of each record line number
    bool dead_ = false;           // the line has dropped
};

// What the utility reports during the update, each an "Error:" line.
struct FirmwareReport {
    enum Kind { resending, out_of_step, too_many_errors, refused, after_last, too_soon } kind;
    unsigned long file_line = 0;
    uint8_t answer = 0;  // resending, refused: the answer taken (0: none)
    long bytes = 0;      // out_of_step, after_last: the bytes found
};

// How the utility's update went, and how long its transfer took.
struct FirmwareRun {
    std::vector<FirmwareReport> reports;
    bool aborted = false;
    double ms = 0;       // from the identification's ACK to the end
    long exchanges = 0;  // transmissions of record lines
    bool ambiguous = false;
};

// The open, the drain, the power-on after the purge, the prompt and the rest
// of its read, the sync and the identification.
double firmware_setup_ms(bool pace) {
    const long rate = FIRMWARE_BAUD;
    double setup = read_limit_ms(rate, 1024, FW_DRAIN_MS) + POWER_ON_QUIET_MS + read_limit_ms(rate, 3, FW_PROMPT_REST_MS);
    if (pace) setup += line_ms(rate, 1 + 2 + 9 + 1);
    return setup;
}

FirmwareRun host_firmware(LoaderModel& loader, const std::vector<HexLine>& lines, bool pace) {
    const long rate = FIRMWARE_BAUD;
    FirmwareRun run;
    // On a paced line the sync character's and the identification's answers
    // come after their time on the wire, and the first answer to a record
    // line decides whether answers are held to it; korrisim without --pace
    // answers at once and the rule is off.
    bool probed = false, held_to_wire = pace;
    bool unanswered = false;  // a transmission had no answer in its whole wait
    std::deque<Arrival>& pending = loader.line();
    double now = 0;  // the host's clock
    const auto close_to = [&run](double at, double deadline) {
        if (at > deadline - TIMING_MARGIN_MS && at < deadline + TIMING_MARGIN_MS) run.ambiguous = true;
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
    const auto report = [&run](FirmwareReport::Kind kind, const HexLine& line, uint8_t answer, long bytes) {
        run.reports.push_back({kind, line.file_line, answer, bytes});
    };

    int errors = 0;
    for (std::size_t i = 0; i < lines.size() && !run.aborted; ++i) {
        const HexLine& line = lines[i];
        const std::size_t length = line.text.size() + 1;  // and its CR
        const double wait =
            read_limit_ms(rate, 1, LOADER_ANSWER_LIMIT_MS + static_cast<int>(line_time_ms(rate, length + 1)));
        const double shortest = static_cast<double>(shortest_answer_us(rate, length)) / 1000.0;
        for (;;) {
            // What is waiting before the transmission is read without a wait.
            long waiting = 0;
            for (const Arrival& a : pending) close_to(a.at, now);
            while (!pending.empty() && pending.front().at <= now) {
                pending.pop_front();
                ++waiting;
            }
            if (waiting > 0) {
                report(FirmwareReport::out_of_step, line, 0, waiting);
                run.aborted = true;
                break;
            }
            ++run.exchanges;
            const double written = now;
            loader.transmit(written, line, length);
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
            if (answered && held_to_wire) {
                close_to(now, written + shortest);
                const bool soon = now - written < shortest;
                if (!probed && soon) held_to_wire = false;
                // A quick answer is another's after a line went unanswered,
                // or when the line's own answer follows in the rest of the
                // wait; with nothing after it the line is faster than its rate.
                bool followed = false;
                if (probed && soon && !unanswered) {
                    const double follow_end = now + wait;
                    if (!pending.empty()) close_to(pending.front().at, follow_end);
                    followed = !pending.empty() && pending.front().at <= follow_end;
                    if (followed) {
                        now = std::max(now, pending.front().at);
                        pending.pop_front();
                    } else {
                        now = follow_end;
                        held_to_wire = false;
                    }
                }
                if (probed && soon && (unanswered || followed)) {
                    report(FirmwareReport::too_soon, line, 0, static_cast<long>(length));
                    run.aborted = true;
                    break;
                }
            }
            if (!answered) unanswered = true;
            if (answered) probed = true;
            if (answered && seen == FIRM_ACK) break;
            if (++errors >= FIRMWARE_MAX_ERRORS) {
                report(FirmwareReport::too_many_errors, line, seen, 0);
                run.aborted = true;
                break;
            }
            if (seen == FIRM_BUFFER_FULL || seen == FIRM_FATAL) {
                report(FirmwareReport::refused, line, seen, 0);
                run.aborted = true;
                break;
            }
            if (answered) {
                if (const long more = bytes_until_quiet(ANSWER_TIMEOUT_MS); more > 0) {
                    report(FirmwareReport::out_of_step, line, 0, more);
                    run.aborted = true;
                    break;
                }
            }
            report(FirmwareReport::resending, line, seen, 0);
        }
    }
    if (!run.aborted) {
        if (const long after = bytes_until_quiet(LOADER_ANSWER_LIMIT_MS); after > 0) {
            run.reports.push_back({FirmwareReport::after_last, 0, 0, after});
            run.aborted = true;
        }
    }
    run.ms = now;
    return run;
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

std::string report_text(const FirmwareReport& r) {
    const std::string at = " on Line " + std::to_string(r.file_line);
    switch (r.kind) {
    case FirmwareReport::resending:
        if (const char* reason = resend_reason(r.answer)) {
            return "Error: Firmware updating error: " + std::string(reason) + at + ", resending.";
        }
        return "Error: Firmware updating error: unknown (" + hex_byte(r.answer) + ")" + at + ", resending.";
    case FirmwareReport::out_of_step:
        return "Error: Firmware updating error: " + std::to_string(r.bytes) + " unexpected bytes" + at +
               ", an answer may have been taken for the wrong line- aborting!";
    case FirmwareReport::too_many_errors:
        return "Error: maximum Firmware updating errors (" + std::to_string(FIRMWARE_MAX_ERRORS) +
               ") encountered- aborting!";
    case FirmwareReport::refused:
        return std::string("Error: Firmware updating error: ") +
               (r.answer == FIRM_BUFFER_FULL ? "buffer full" : "fatal") + at + "- aborting!";
    case FirmwareReport::too_soon: {
        char ms[32];
        std::snprintf(ms, sizeof ms, "%.1f", static_cast<double>(shortest_answer_us(FIRMWARE_BAUD, r.bytes)) / 1000.0);
        return "Error: Firmware updating error: an answer came sooner after" + at.substr(3) + " began than its " + ms +
               " ms on the line, an answer may have been taken for the wrong line- aborting!";
    }
    case FirmwareReport::after_last:
        return "Error: Firmware updating error: " + std::to_string(r.bytes) +
               " bytes came after the last answer, an answer was taken for the wrong line!";
    }
    return "";
}

}  // namespace

Expectation expect_firmware(const LoaderFaultPlan& faults, const std::vector<HexLine>& lines) {
    LoaderModel loader(faults, FIRMWARE_BAUD);
    const FirmwareRun run = host_firmware(loader, lines, faults.pace);
    Expectation e;
    e.success = !run.aborted;
    for (const FirmwareReport& r : run.reports) e.errors.push_back(report_text(r));
    if (e.success) {
        e.text = "Disconnected\n\a\aFirmware update succeeded!\n\nPower cycle Korrimatic!\n"
                 "Don't forget to Configure Operating Parameters, Process Rules\nand Download these to the Korrimatic!\n";
    } else {
        e.errors.push_back("Error: Firmware update failed!");
        e.text = "Disconnected\nError: Firmware update failed!\n\tPower cycle Korrimatic and try again!\n";
    }
    e.text += "Command> ";
    e.exchanges = run.exchanges;
    e.ambiguous = run.ambiguous;
    e.bound_ms = firmware_setup_ms(faults.pace) + run.ms + SLACK_FIXED_MS +
                 SLACK_PER_EXCHANGE_MS * static_cast<double>(e.exchanges);
    return e;
}
