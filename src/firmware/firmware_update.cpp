#include "firmware/firmware_update.hpp"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "device/device_link.hpp"
#include "device/power_on_wait.hpp"
#include "firmware/firmware_file_check.hpp"
#include "firmware/firmware_update_answers.hpp"
#include "firmware/hex_verify.hpp"
#include "process/interrupt.hpp"
#include "serial/answer_timing.hpp"
#include "serial/countdown_read.hpp"
#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"
#include "serial/silent_port_hint.hpp"
#include "text/input_file.hpp"
#include "text/line_reader.hpp"

namespace {

constexpr int DRAIN_SIZE = 1024;
constexpr int DRAIN_TIMEOUT_MS = 100;
constexpr int UPDATE_MINUTES = 5;
constexpr int PROMPT_REST_TIMEOUT_MS = 100;
constexpr int SYNC_TIMEOUT_MS = 200;
constexpr int IDENT_TIMEOUT_MS = 5000;

// A wait that the operator cancelled with Ctrl-C before any record line went
// out: the update ends as its failures do.
bool cancelled_here(Sink& out) {
    if (!cancel_requested()) return false;
    out.error_below("Firmware update cancelled by Ctrl-C!\n");
    return true;
}

// What the transfer of the record lines did, for its closing line.
struct TransferStats {
    long lines = 0;       // record lines accepted
    long bytes = 0;       // bytes written, every transmission counted
    long resent = 0;      // transmissions after the first of a line
    std::chrono::steady_clock::time_point start{};
    std::chrono::steady_clock::time_point end{};
};

// The closing line of a transfer, for an operator at a terminal: what went
// out, how long it took and how the rate compares with the line's own.
void print_closing_line(const TransferStats& stats, uint32_t line_rate, Sink& out) {
    if (stats.bytes == 0 || !out.at_terminal()) return;
    const double seconds = std::chrono::duration<double>(stats.end - stats.start).count();
    const double limit = static_cast<double>(line_rate) / 10.0;  // bytes a second, 10 bits a byte
    const double rate = seconds > 0.0 ? static_cast<double>(stats.bytes) / seconds : 0.0;
    out.printf("Sent %ld record lines, %ld bytes, %ld lines resent, in %.1f s\n", stats.lines, stats.bytes,
                stats.resent, seconds);
    // A line that carried more than its rate allows does not hold bytes to
    // its rate (a pseudo-terminal, a USB device): no share of it is claimed.
    if (limit <= 0.0 || rate > limit) {
        out.printf("Effective rate %.0f bytes/s: faster than the line's %.0f bytes/s (%u baud, 10 bits a byte) "
                    "could carry\n",
                    rate, limit, static_cast<unsigned>(line_rate));
        return;
    }
    out.printf("Effective rate %.0f bytes/s: %.0f%% of the line's %.0f bytes/s (%u baud, 10 bits a byte)\n", rate,
                100.0 * rate / limit, limit, static_cast<unsigned>(line_rate));
}

// Empties whatever the device sent before the update begins.
void drain_port(SerialPort& port) {
    drain_stale_input(port, DRAIN_SIZE, DRAIN_TIMEOUT_MS);
    purge_port(port);
}

void warn_and_wait_for_operator(const OperatorWait& wait_for_operator, Sink& out) {
    out.printf("\n\a\aWARNING! The Korrimatic Firmware is about to be updated!\n"
                "This will take less than %d minutes.\n"
                "Do NOT interrupt the process once started!\n"
                "If power is interrupted during this process you may not be able\n"
                "to communicate with the Korrimatic due to firmware corruption.\n"
                "If this happens correct the power problem and restart this entire process.\n\n"
                "Type the Enter key when you are ready to continue...",
                UPDATE_MINUTES);
    out.flush();
    if (wait_for_operator) wait_for_operator();
}

// Waits for the loader's ENQ among the first four bytes after power-on.
int catch_prompt(SerialPort& port, Sink& out) {
    out.printf("\nTo begin TURN ON the Korrimatic or CYCLE THE POWER if it is already on.\n"
                "\a\aYou have %ld seconds to do this...",
               static_cast<long>(POWER_ON_WAIT_S));
    out.flush();
    uint8_t rx[4] = {0, 0, 0, 0};
    int n = read_port_counting_down(port, rx, 1, POWER_ON_WAIT_MS, nullptr);
    if (cancelled_here(out)) return FIRMWARE_CANCELLED;
    n += read_port(port, rx + 1, 3, PROMPT_REST_TIMEOUT_MS);
    if (rx[0] == FIRM_ENQ || rx[1] == FIRM_ENQ || rx[2] == FIRM_ENQ || rx[3] == FIRM_ENQ) return 0;
    out.error_below("did not receive the Korrimatic Firmware prompt!\n");
    switch (n) {
    case 0:
        out.printf("No data was read!\n");
        offer_silent_port_hint(out, port.name(), FIRMWARE_BAUD);
        break;
    case 1: out.printf("Got 1: 0x%02x\n", rx[0]); break;
    case 2: out.printf("Got 2: 0x%02x 0x%02x\n", rx[0], rx[1]); break;
    case 3: out.printf("Got 3: 0x%02x 0x%02x 0x%02x\n", rx[0], rx[1], rx[2]); break;
    default: out.printf("Got 4: 0x%02x 0x%02x 0x%02x 0x%02x\n", rx[0], rx[1], rx[2], rx[3]); break;
    }
    return FIRMWARE_NO_PROMPT;
}

uint8_t read_answer(SerialPort& port, int timeout_ms) {
    uint8_t answer = 0;
    read_port(port, &answer, 1, timeout_ms);
    return answer;
}

// The FIRMSYNC exchange and the identification; both answers also show
// whether the line carries bytes at its rate.
int synchronize(SerialPort& port, AnswerTiming& timing, FirmwareTransferReport& report, Sink& out) {
    // From here on every byte is accounted for, a NUL too: dropped by the
    // driver, an answer damaged into NUL behind an added ACK would go unseen.
    if (!keep_nul_bytes(port)) return FIRMWARE_SYNC_WRITE_FAILED;
    timing.begin();
    timing.sent(port, 1);
    if (write_port(port, &FIRMSYNC, 1) <= 0) {
        out.error_below("wrote FIRMSYNC sync character, got error on port %s\n", port.name());
        return FIRMWARE_SYNC_WRITE_FAILED;
    }
    report.sync_sent = true;
    const uint8_t sync_answer = read_answer(port, SYNC_TIMEOUT_MS);
    if (cancelled_here(out)) return FIRMWARE_CANCELLED;
    if (sync_answer != FIRM_ACK) {
        out.error_below("did not synchronize with the Korrimatic!\n");
        return FIRMWARE_NOT_SYNCHRONIZED;
    }
    timing.too_soon(port, true);
    out.printf("\a\nConnected at %ld\n", static_cast<long>(FIRMWARE_BAUD));
    // A second answer to the sync character is dropped: taken for the sync's
    // own, it could only make the identification go unanswered.
    if (const long dropped = drop_waiting(port); dropped > 0) {
        out.warning_below("%ld unexpected bytes from the Korrimatic before the %s identifier, dropped\n",
                           dropped, FIRMWARE_IDENT_NAME);
    }
    timing.sent(port, 9);
    if (write_port(port, FIRMWARE_IDENT, 9) <= 0) {
        out.error_below("wrote %s identifier, got error on port %s\n", FIRMWARE_IDENT, port.name());
        return FIRMWARE_IDENT_WRITE_FAILED;
    }
    const uint8_t ident_answer = read_answer(port, IDENT_TIMEOUT_MS);
    if (cancelled_here(out)) return FIRMWARE_CANCELLED;
    if (ident_answer != FIRM_ACK) {
        out.error_below("did not receive %s identifier acknowledgement!\n", FIRMWARE_IDENT_NAME);
        return FIRMWARE_IDENT_NOT_ACKNOWLEDGED;
    }
    timing.too_soon(port, true);
    return 0;
}

enum class AnswerAction { next_line, resend, abort };

// Acts on the loader's answer to a record line: prints what it means and
// says what comes next; an abort sets `result`.
AnswerAction act_on_answer(uint8_t answer, unsigned long line_number, int& result, Sink& out) {
    const char* reason = nullptr;
    switch (answer) {
    case FIRM_ACK: return AnswerAction::next_line;
    case 0x00: reason = "timed out"; break;
    case FIRM_NO_START: reason = "didn't get start character"; break;
    case FIRM_BAD_CHECKSUM: reason = "bad record checksum"; break;
    case FIRM_VALIDATION: reason = "validation"; break;
    case FIRM_BUFFER_FULL:
        out.error_below("Firmware updating error: buffer full on Line %lu- aborting!\n", line_number);
        result = FIRMWARE_LOADER_BUFFER_FULL;
        return AnswerAction::abort;
    case FIRM_FATAL:
        out.error_below("Firmware updating error: fatal on Line %lu- aborting!\n", line_number);
        result = FIRMWARE_LOADER_FATAL;
        return AnswerAction::abort;
    default:
        out.error_below("Firmware updating error: unknown (0x%02x) on Line %lu, resending.\n",
                         static_cast<unsigned>(answer), line_number);
        return AnswerAction::resend;
    }
    out.error_below("Firmware updating error: %s on Line %lu, resending.\n", reason, line_number);
    return AnswerAction::resend;
}

// The file as it was verified: its name, and its record lines as checked.
struct VerifiedFile {
    const char* name;
    std::vector<std::string> records;
};

int file_changed(const VerifiedFile& file, unsigned long line_number, Sink& out) {
    out.error_below("Firmware file %s has changed since it was checked: line %lu- aborting!\n", file.name,
                     line_number);
    return FIRMWARE_FILE_CHANGED;
}

// Bytes the loader sent that are no answer to the transmission awaited: once
// a record line has been acknowledged, any of them may be the answer that an
// ACK read earlier stood in for.
int out_of_step(long bytes, unsigned long line_number, Sink& out) {
    out.error_below("Firmware updating error: %ld unexpected bytes on Line %lu, "
                     "an answer may have been taken for the wrong line- aborting!\n",
                     bytes, line_number);
    return FIRMWARE_OUT_OF_STEP;
}

// An answer that came sooner than its line could reach the loader answers
// some other transmission.
int answered_too_soon(const AnswerTiming& timing, unsigned long line_number, Sink& out) {
    out.error_below("Firmware updating error: an answer came sooner after Line %lu began than its %.1f ms "
                     "on the line, an answer may have been taken for the wrong line- aborting!\n",
                     line_number, static_cast<double>(timing.shortest_us()) / 1000.0);
    return FIRMWARE_OUT_OF_STEP;
}

// Ctrl-C during the transfer: the first press warns, a second one within
// GUARD_WINDOW_MS stops. True when the transfer is to stop.
bool stop_requested(unsigned long line_number, long done, long total, Sink& out) {
    if (take_interrupt_warning()) {
        out.warning_below("stopping now leaves the Korrimatic without working firmware!\n"
                           "Press Ctrl-C again within %d seconds to stop.\n",
                           static_cast<int>(GUARD_WINDOW_MS / 1000));
    }
    if (!cancel_requested()) return false;
    out.error_below("Firmware update stopped by Ctrl-C on Line %lu (%ld of %ld record lines accepted)- "
                     "aborting!\n",
                     line_number, done, total);
    return true;
}

// Where the transfer of the record lines stands.
struct Transfer {
    const VerifiedFile& verified;
    TransferStats& stats;
    const FirmwareClock& clock;
    AnswerTiming& timing;
    int64_t start;  // on the clock, for the progress line
    long total;     // record lines to send
    long done = 0;  // record lines accepted
    int errors = 0; // answers other than ACK so far
    bool probed = false;  // the first answer to a record line has been judged
};

// Sends one record line (its CR included) until the loader accepts it, and
// acts on every other answer. 0 once the line is acknowledged, else the
// FIRMWARE_* code that ends the transfer, after its message.
int send_line(SerialPort& port, const char* line, std::size_t length, unsigned long line_number, Transfer& transfer,
              Sink& out) {
    for (bool first = true;; first = false) {
        if (stop_requested(line_number, transfer.done, transfer.total, out)) return FIRMWARE_CANCELLED;
        // Only a byte that arrives after a transmission can answer it.
        if (const long surplus = drop_waiting(port); surplus > 0) return out_of_step(surplus, line_number, out);
        transfer.timing.sent(port, length);
        if (write_port(port, line, static_cast<int>(length)) <= 0) {
            out.error("wrote FIRMSYNC attention character, got error on port %s\n", port.name());
            return FIRMWARE_LINE_WRITE_FAILED;
        }
        transfer.stats.bytes += static_cast<long>(length);
        if (!first) ++transfer.stats.resent;
        // Waited for up to the loader's limit: no earlier transmission's
        // answer can still come once this one is answered or lost.
        const std::optional<uint8_t> answer = await_answer(port, length);
        if (stop_requested(line_number, transfer.done, transfer.total, out)) return FIRMWARE_CANCELLED;
        // The first answer to a record line, like those to the sync character
        // and the identification, only shows what the line is.
        if (answer) {
            const bool probe = !transfer.probed;
            transfer.probed = true;
            // Too soon for this line: the late answer of a line that went
            // unanswered, or another whose line's own answer still comes.
            if (transfer.timing.too_soon(port, probe) &&
                transfer.timing.not_its_answer(port, answer_wait_ms(port, length))) {
                return answered_too_soon(transfer.timing, line_number, out);
            }
        } else {
            transfer.timing.unanswered();
        }
        if (answer == FIRM_ACK) {
            ++transfer.done;
            transfer.stats.lines = transfer.done;
            firmware_progress(transfer.start, transfer.done, transfer.total, transfer.clock, out);
            return 0;
        }
        if (++transfer.errors >= FIRMWARE_MAX_ERRORS) {
            out.error_below("maximum Firmware updating errors (%d) encountered- aborting!\n",
                            FIRMWARE_MAX_ERRORS);
            return FIRMWARE_TOO_MANY_ERRORS;
        }
        // Nothing more comes for a transmission once it is answered: a
        // second byte means an answer may belong to another line.
        if (answer && *answer != FIRM_BUFFER_FULL && *answer != FIRM_FATAL) {
            if (const long more = bytes_until_quiet(port, ANSWER_TIMEOUT_MS); more > 0) {
                return out_of_step(more, line_number, out);
            }
        }
        int result = 0;
        if (act_on_answer(answer.value_or(0), line_number, result, out) == AnswerAction::abort) return result;
    }
}

// After the last line's answer: an answer taken for the wrong line leaves
// the last line's own answer still to come, within the loader's limit of
// that line. 0 when nothing came, else the FIRMWARE_* code after its message.
int check_after_last_answer(SerialPort& port, unsigned long line_number, const Transfer& transfer, Sink& out) {
    if (const long after = bytes_until_quiet(port, LOADER_ANSWER_LIMIT_MS); after > 0) {
        out.error_below("Firmware updating error: %ld bytes came after the last answer, "
                        "an answer was taken for the wrong line!\n",
                        after);
        return FIRMWARE_ANSWERED_AFTER_END;
    }
    // A wait cut short by Ctrl-C proves nothing.
    if (stop_requested(line_number, transfer.done, transfer.total, out)) return FIRMWARE_CANCELLED;
    out.printf("\n");
    return 0;
}

// Sends every record line of the file, each followed by CR. Each line read
// is held against the line verified: a file that changed after its check is
// never sent on.
int send_records(SerialPort& port, std::FILE* fp, const VerifiedFile& verified, TransferStats& stats,
                 const FirmwareClock& clock, AnswerTiming& timing,
                 FirmwareTransferReport& report, Sink& out) {
    const InterruptModeScope guarded(InterruptMode::guarded);
    out.printf("\n\n");
    std::rewind(fp);
    Transfer transfer{verified, stats, clock, timing, firmware_clock_now(clock),
                      static_cast<long>(verified.records.size())};
    unsigned long line_number = 0;
    // The line as read (the longest record line fits whole), its CR and NUL.
    char line[HEX_LINE_LIMIT + 2];
    LineReader reader(fp, HEX_LINE_LIMIT, EndAfterFullPiece::separate);
    LineRead got;
    stats.start = std::chrono::steady_clock::now();
    const auto finish = [&stats](int result) {
        stats.end = std::chrono::steady_clock::now();
        return result;
    };
    while ((got = reader.read(line)) == LineRead::line) {
        ++line_number;
        if (line[0] != ':') continue;
        if (transfer.done >= transfer.total || verified.records[static_cast<std::size_t>(transfer.done)] != line) {
            return file_changed(verified, line_number, out);
        }
        std::size_t length = std::strlen(line);
        line[length++] = '\r';
        line[length] = '\0';
        report.line = line_number;
        const int result = send_line(port, line, length, line_number, transfer, out);
        report.records = transfer.done;
        if (result != 0) return finish(result);
    }
    if (got == LineRead::error) {
        out.error_below("cannot read Firmware file %s- aborting!\n", verified.name);
        return finish(FIRMWARE_CANNOT_REREAD);
    }
    // Every record line verified must have been sent and acknowledged.
    if (transfer.done != transfer.total) return finish(file_changed(verified, line_number + 1, out));
    finish(0);
    return check_after_last_answer(port, line_number, transfer, out);
}

// Everything done with the port open; the caller closes it.
int update_over_port(SerialPort& port, std::FILE* fp, const VerifiedFile& verified,
                     const OperatorWait& wait_for_operator, const FirmwareClock& clock, FirmwareTransferReport& report,
                     Sink& out) {
    drain_port(port);
    warn_and_wait_for_operator(wait_for_operator, out);
    if (cancelled_here(out)) return FIRMWARE_CANCELLED;
    // What arrived while the operator read the warning (a device switched on
    // too early) is no answer to this update: the prompt must come after it.
    drain_port(port);
    int result = catch_prompt(port, out);
    AnswerTiming timing;
    if (result == 0) result = synchronize(port, timing, report, out);
    if (result != 0) return result;
    TransferStats stats;
    result = send_records(port, fp, verified, stats, clock, timing, report, out);
    if (timing.take_note() && out.operator_at_terminal()) {
        out.printf("Note: the Korrimatic answered sooner than %s could carry bytes at %ld baud (a pseudo-terminal, "
                    "or a USB device that ignores the rate): its answers were not held to the line's time\n",
                    port.name(), static_cast<long>(FIRMWARE_BAUD));
    }
    print_closing_line(stats, port_rate(port), out);
    return result;
}

}  // namespace

int firmware_update(SerialPort& port, const char* port_name, const char* file_name,
                    const OperatorWait& wait_for_operator, const FirmwareClock& clock, Sink& out,
                    FirmwareTransferReport* report) {
    FirmwareTransferReport unreported;
    FirmwareTransferReport& progress = report != nullptr ? *report : unreported;
    progress = FirmwareTransferReport{};
    if (file_name == nullptr) {
        out.printf("firmware: Error: param filename is invalid\n");
        return FIRMWARE_NO_FILE_NAME;
    }
    InputFile file(file_name, out);
    if (!file) return FIRMWARE_CANNOT_OPEN;
    VerifiedFile verified{file_name, {}};
    const int total = verify_firmware_file(file.get(), file_name, &verified.records, out);
    if (total < 0) return total;
    progress.total_records = total;
    if (open_port(port, port_name, FIRMWARE_BAUD) != 0) {
        out.error("could not open COM port %s\n", port_name);
        return FIRMWARE_PORT_FAILED;
    }
    int result = update_over_port(port, file.get(), verified, wait_for_operator, clock, progress, out);
    disconnect_device(port, out);
    return result;
}

int firmware(SerialPort& serial, int port, const char* file_name, char* port_name, std::size_t port_name_size,
             const OperatorWait& wait_for_operator, const FirmwareClock& clock, Sink& out) {
    std::snprintf(port_name, port_name_size, "COM%d", port);
    return firmware_update(serial, port_name, file_name, wait_for_operator, clock, out);
}
