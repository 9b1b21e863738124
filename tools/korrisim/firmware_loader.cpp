// The device's firmware loader. At power-on it sends its prompt, ENQ, then
// waits for the host's sync character SYN and answers ACK, takes the 9-byte
// identification and answers ACK, and then takes record lines ended by CR,
// answering each with one byte: ACK when accepted, 0x11 when the line does not
// begin with ':', 0x12 for a bad checksum, 0x15 for a record that is not valid
// Intel HEX, 0x17 when the line is longer than its buffer. The accepted
// records build the image written to --image-out.
#include "firmware_loader.hpp"

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "firmware_faults.hpp"
#include "firmware_image.hpp"
#include "pty_port.hpp"
#include "vanish.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t ENQ_ACK = 0x06;
constexpr uint8_t NO_START = 0x11;
constexpr uint8_t BAD_CHECKSUM = 0x12;
constexpr uint8_t VALIDATION = 0x15;
constexpr uint8_t BUFFER_FULL = 0x17;
constexpr char IDENTIFICATION[] = "KorMat1.0";
constexpr int IDENT_BYTE_TIMEOUT_MS = 2000;
constexpr std::size_t LINE_KEEP = 1024;  // a longer line is not kept whole

// The host's side of the line as the loader sees it: with a rate, each byte
// counts as received only 10 bit times after the one before it, and answers
// wait until the last byte has been received.
class Receiver {
public:
    Receiver(SimLine& line, long rate)
        : line_(line), byte_time_(rate > 0 ? std::chrono::microseconds(10000000L / rate) : Clock::duration(0)) {}

    int read(int timeout_ms) {
        int byte = line_.read_byte(timeout_ms);
        if (byte >= 0 && byte_time_.count() > 0) received_ = std::max(Clock::now(), received_) + byte_time_;
        return byte;
    }

    // A byte that was read elsewhere (the power-on window's sync character)
    // counts as received one byte time from now.
    void heard_elsewhere() {
        if (byte_time_.count() > 0) received_ = std::max(Clock::now(), received_) + byte_time_;
    }

    // The answer byte, `times` over (up to 3) in one write: a doubled
    // answer, or an answer with the next line's early ACK.
    void answer(uint8_t byte, std::size_t times = 1) {
        if (byte_time_.count() > 0) std::this_thread::sleep_until(received_);
        const uint8_t bytes[3] = {byte, byte, byte};
        line_.write(bytes, std::min<std::size_t>(times, 3));
    }

private:
    SimLine& line_;
    Clock::duration byte_time_;
    Clock::time_point received_{};
};

uint8_t answer_for(RecordCheck check) {
    switch (check) {
    case RecordCheck::ok: return ENQ_ACK;
    case RecordCheck::no_start: return NO_START;
    case RecordCheck::bad_checksum: return BAD_CHECKSUM;
    case RecordCheck::bad_syntax: return VALIDATION;
    case RecordCheck::too_long: return BUFFER_FULL;
    }
    return VALIDATION;
}

class Loader {
public:
    Loader(SimLine& line, const SimOptions& options, LoaderFaults faults)
        : line_(line), receiver_(line, faults.rx_rate), faults_(std::move(faults)),
          image_path_(options.get("image-out")), vanish_(vanish_point(options)) {}

    // `sync_heard`: the power-on window has sent the prompt and taken the
    // sync character already.
    int run(bool sync_heard) {
        if (!sync_heard) {
            if (!faults_.prompt.empty()) line_.write(faults_.prompt.data(), faults_.prompt.size());
            sim_log("loader: prompt of %zu bytes sent", faults_.prompt.size());
        }
        for (;;) {
            if (sync_heard) {
                sync_heard = false;
                sim_log("loader: sync");
                receiver_.heard_elsewhere();
                receiver_.answer(ENQ_ACK);
            } else if (!wait_for_sync()) {
                return finish(1);
            }
            int id = take_identification();
            if (id < 0) return finish(1);
            if (id == 1) break;
        }
        return finish(take_records());
    }

private:
    bool wait_for_sync() {
        for (;;) {
            int byte = receiver_.read(-1);
            if (byte == -2) return false;
            if (byte == LOADER_SYN) {
                sim_log("loader: sync");
                receiver_.answer(ENQ_ACK);
                return true;
            }
            sim_log("loader: ignored 0x%02x while waiting for the sync character", byte);
        }
    }

    // 1 when the identification is right, 0 when it is not (NAK, and the
    // loader waits for the sync character again), -1 when the host has gone.
    int take_identification() {
        std::string id;
        while (id.size() < sizeof IDENTIFICATION - 1) {
            int byte = receiver_.read(IDENT_BYTE_TIMEOUT_MS);
            if (byte == -2) return -1;
            if (byte == -1) break;
            id += static_cast<char>(byte);
        }
        if (id == IDENTIFICATION) {
            sim_log("loader: identification %s", id.c_str());
            const bool doubled = faults_.doubled.count(0) != 0;
            if (doubled) sim_log("loader: fault: the identification answered twice");
            receiver_.answer(ENQ_ACK, (doubled ? 2 : 1) + (answer_early() ? 1 : 0));
            return 1;
        }
        sim_log("loader: wrong identification (%zu bytes)", id.size());
        receiver_.answer(VALIDATION);
        return 0;
    }

    int take_records() {
        std::string text;
        std::size_t heard = 0;  // bytes of the line being received, its CR included
        for (;;) {
            int byte = receiver_.read(-1);
            if (byte == -2) return eof_seen_ ? 0 : 1;
            ++heard;
            if (drops_here(heard, byte)) return wait_for_close();
            if (byte != '\r') {
                if (text.size() < LINE_KEEP) text += static_cast<char>(byte);
                continue;
            }
            if (vanish_.where == VanishPoint::Where::firmware && vanish_.number == accepted_ + 1) {
                line_.vanish("after record line " + std::to_string(vanish_.number) + " of the firmware update");
            }
            answer_line(text);
            text.clear();
            heard = 0;
        }
    }

    // The line goes dead in the first transmission of the chosen record
    // line, after its given number of bytes or before its CR, whichever
    // comes first.
    bool drops_here(std::size_t heard, int byte) const {
        const int number = accepted_ + 1;
        if (faults_.drop_line != number || transmissions_.count(number) != 0) return false;
        if (static_cast<long>(heard) <= faults_.drop_after && byte != '\r') return false;
        sim_log("loader: fault: the line drops after %zu bytes of record line %d", heard - 1, number);
        return true;
    }

    // After the line dropped: the loader hears and says nothing more until
    // the host lets go.
    int wait_for_close() {
        while (receiver_.read(-1) != -2) {
        }
        return eof_seen_ ? 0 : 1;
    }

    void answer_line(std::string text) {
        const int number = accepted_ + 1;  // the record line the loader expects
        const int transmission = ++transmissions_[number];
        auto silent = faults_.silent.find(number);
        if (silent != faults_.silent.end() && transmission <= silent->second) {
            sim_log("loader: fault: record line %d, transmission %d: no answer", number, transmission);
            return;
        }
        uint8_t answer;
        auto& injected = faults_.errors[number];
        if (!injected.empty()) {
            answer = injected.front();
            injected.pop_front();
            sim_log("loader: record line %d, transmission %d: answering 0x%02x as told", number, transmission, answer);
        } else {
            auto corrupt = faults_.corrupt.find(number);
            if (corrupt != faults_.corrupt.end() && transmission <= corrupt->second && text.size() > 1) {
                text[text.size() / 2] = static_cast<char>(text[text.size() / 2] ^ 0x01);
                sim_log("loader: fault: record line %d, transmission %d: character %zu arrives damaged", number,
                        transmission, text.size() / 2);
            }
            HexRecord record;
            RecordCheck check = check_record_line(text, record);
            answer = answer_for(check);
            if (check == RecordCheck::ok) {
                ++accepted_;
                if (image_.apply(record)) {
                    eof_seen_ = true;
                    write_image();
                }
            } else {
                sim_log("loader: record line %d rejected with 0x%02x", number, answer);
            }
        }
        auto& stray = faults_.stray[number];
        if (!stray.empty()) {
            sim_log("loader: fault: record line %d, transmission %d: the answer 0x%02x becomes 0x%02x", number,
                    transmission, answer, stray.front());
            answer = stray.front();
            stray.pop_front();
        }
        auto slow = faults_.slow.find(number);
        if (slow == faults_.slow.end()) slow = faults_.slow.find(0);
        if (slow != faults_.slow.end() && transmission <= slow->second.count) {
            sim_log("loader: record line %d answered %ld ms late", number, slow->second.delay_ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(slow->second.delay_ms));
        }
        const bool answered_before = early_answered_ == number;
        if (answered_before) {
            early_answered_ = 0;
            sim_log("loader: fault: record line %d was answered before it arrived", number);
        }
        auto doubled = faults_.doubled.find(number);
        const bool twice = doubled != faults_.doubled.end() && transmission <= doubled->second;
        if (twice && !answered_before) {
            sim_log("loader: fault: record line %d, transmission %d: answered twice", number, transmission);
        }
        // The next line's early ACK rides with this answer (an ACK: the loader
        // moves on only after a line it took).
        const bool early_next = accepted_ >= number && answer_early();
        const std::size_t bytes = (answered_before ? 0 : twice ? 2 : 1) + (early_next ? 1 : 0);
        if (bytes > 0) receiver_.answer(answered_before ? ENQ_ACK : answer, bytes);
        auto noise = faults_.noise.find(number);
        if (noise != faults_.noise.end() && transmission == 1) send_noise(number, noise->second);
    }

    // Whether the next record line's ACK goes out now, before that line has
    // arrived.
    bool answer_early() {
        const int next = accepted_ + 1;
        auto early = faults_.early.find(next);
        if (early == faults_.early.end() || early->second <= 0) return false;
        early->second = 0;
        early_answered_ = next;
        sim_log("loader: fault: record line %d answered before it arrives", next);
        return true;
    }

    // Noise on the line for `ms`: the bytes 01 to FF over and over (ACK among
    // them), as fast as the line takes them.
    void send_noise(int number, long ms) {
        sim_log("loader: fault: noise for %ld ms after record line %d", ms, number);
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        uint8_t chunk[32];
        uint8_t next = 1;
        while (Clock::now() < end) {
            for (uint8_t& b : chunk) {
                b = next;
                next = next == 0xFF ? 1 : static_cast<uint8_t>(next + 1);
            }
            line_.write(chunk, sizeof chunk);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    void write_image() {
        if (image_path_.empty() || written_at_ == accepted_) return;
        written_at_ = accepted_;
        if (image_.write_binary(image_path_)) {
            sim_log("loader: image of %zu bytes written to %s", image_.byte_count(), image_path_.c_str());
        } else {
            sim_log("loader: cannot write the image to %s", image_path_.c_str());
        }
    }

    int finish(int result) {
        write_image();
        sim_log("loader: %d record lines accepted%s", accepted_, eof_seen_ ? ", end of file seen" : "");
        return result;
    }

    SimLine& line_;
    Receiver receiver_;
    LoaderFaults faults_;
    std::string image_path_;
    VanishPoint vanish_;
    FirmwareImage image_;
    std::map<int, int> transmissions_;
    int accepted_ = 0;
    int written_at_ = -1;  // accepted_ when the image was last written
    int early_answered_ = 0;  // the record line whose ACK went out before it arrived
    bool eof_seen_ = false;
};

}  // namespace

int run_firmware_loader(SimLine& line, const SimOptions& options, bool sync_heard) {
    LoaderFaults faults;
    std::string error;
    if (!parse_loader_faults(options, faults, error)) {
        sim_log("loader: %s", error.c_str());
        return 2;
    }
    // A paced line carries the host's bytes at its rate too.
    if (auto* port = dynamic_cast<PtyPort*>(&line); port != nullptr && faults.rx_rate == 0 && options.has("pace")) {
        faults.rx_rate = port->line_rate();
        if (faults.rx_rate > 0) sim_log("loader: taking the host's bytes at %ld bit/s", faults.rx_rate);
    }
    return Loader(line, options, std::move(faults)).run(sync_heard);
}

const char* firmware_loader_usage() {
    return "Firmware loader (--mode=loader):\n"
           "  --image-out=PATH       write the received image to PATH as a binary file: it starts at\n"
           "                         address 0, bytes no data record wrote are 0, and it ends at the\n"
           "                         highest address written (as srec_cat FILE -intel -o PATH -binary);\n"
           "                         written at the end-of-file record and when the host closes the port\n"
           "  --loader-prompt=BYTES  what power-on sends instead of ENQ: hex bytes separated by commas\n"
           "                         (00,41,05,13 puts ENQ third; 85 is a stray byte), or none (silence)\n"
           "  --loader-errors=N:K[:BB][,...]  answer the first K transmissions of record line N (counted\n"
           "                         from 1 over record lines) with hex byte BB (default 12) instead of\n"
           "                         checking them; 17 (buffer full) and 18 (fatal) make the host abort\n"
           "  --loader-slow=N:K[:MS][,...]  answer the first K transmissions of record line N (* for\n"
           "                         every record line) MS ms late (default 300, past the host's 100 ms\n"
           "                         window); the late answer then reaches the host after its resend\n"
           "  --loader-corrupt=N[:K][,...]  one character of the first K transmissions of record line N\n"
           "                         (default 1) arrives damaged: the loader's check refuses it\n"
           "  --loader-stray=N[:K[:BB]][,...]  the record line is checked and taken as usual, but the\n"
           "                         answers to its first K transmissions become hex byte BB (default 41,\n"
           "                         never 06)\n"
           "  --loader-silent=N[:K][,...]  the first K transmissions of record line N (default 1) get no\n"
           "                         answer and are not taken\n"
           "  --loader-double=N[:K][,...]  the answers to the first K transmissions of record line N\n"
           "                         (default 1) are sent twice; N = 0 doubles the identification's ACK\n"
           "  --loader-early=N[,...]  record line N's ACK goes out before the line arrives, right after\n"
           "                         the answer to the line before it (or to the identification); the\n"
           "                         line is then taken without an answer\n"
           "  --loader-noise=N[:MS][,...]  after the first answer to record line N the line carries noise\n"
           "                         for MS ms (default 3500): the bytes 01 to FF over and over\n"
           "  --loader-drop=N[:M]    the line drops after M bytes (default 3) of the first transmission\n"
           "                         of record line N, or before its CR: the loader hears and says\n"
           "                         nothing more\n"
           "  --loader-rx-rate=BAUD  model the host's bytes arriving at BAUD (10 bits a byte): an answer\n"
           "                         goes out only once the whole line could have been received\n"
           "                         (with --pace, the line's rate unless given)\n";
}
