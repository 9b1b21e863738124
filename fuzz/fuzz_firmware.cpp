// The firmware update against a hostile line and loader, over the in-memory
// link on its virtual clock, with a small HEX file of five record lines. The
// fuzzer's bytes decide the loader's prompt and when it comes, its answers
// to the sync character and the identification, and for every record line
// the host transmits: the loader takes it and answers ACK, or refuses it
// (bad checksum, validation, missing start, buffer full, fatal, an unknown
// byte), or never hears it; and what the line does with each answer (late,
// lost, doubled, a stray byte ahead, noise after).
//
// The loader programs every intact line it answers ACK, and only once it has
// acknowledged the identification; a line programmed again is harmless (a
// record carries its address). What must hold:
// - success only when the loader programmed every record line, in file
//   order (a line again only right after itself), and a clean exchange
//   succeeds;
// - every path closes the port and prints "Disconnected"; a failure
//   returns a negative code;
// - at most nine lines are sent again (the tenth error ends the update);
// - the virtual time stays within the bound below.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/firmware_update.hpp"
#include "firmware/firmware_update_answers.hpp"
#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"
#include "support/fuzz_check.hpp"
#include "support/fuzz_script.hpp"
#include "support/hostile_line.hpp"
#include "support/memory_link.hpp"

namespace {

// The longest one record line's transmission may take: the wait for its
// answer (the loader's answer limit after its time on the wire), the quiet
// after an answer other than ACK, and some slack.
constexpr int64_t TRANSMISSION_BOUND_MS = LOADER_ANSWER_LIMIT_MS + ANSWER_TIMEOUT_MS + 600;
// Besides the record lines: the drain, the 20 s power-on wait, the sync
// (200 ms) and the identification (5 s) waits, and the quiet after the last
// answer (the loader's answer limit).
constexpr int64_t UPDATE_FIXED_MS = 1000 + 20000 + 200 + 200 + 5000 + LOADER_ANSWER_LIMIT_MS + 1000;
// The latest an answer to a record line may come and still be told apart
// from the answer to the next transmission: the loader's answer limit.
constexpr int64_t LINE_ANSWER_BOUND_MS = LOADER_ANSWER_LIMIT_MS;
constexpr int64_t USUAL_ANSWER_MS = 5;
constexpr int64_t USUAL_POWER_ON_MS = 3000;
constexpr int RECORD_LINES = 5;

std::string g_file_name;
std::vector<std::string> g_lines;  // the file's record lines, without line end

std::string record(unsigned address, unsigned type, const std::vector<uint8_t>& bytes) {
    unsigned sum = static_cast<unsigned>(bytes.size()) + (address >> 8) + (address & 0xFF) + type;
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(bytes.size()), address, type);
    std::string line = text;
    for (uint8_t b : bytes) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

void write_hex_file() {
    for (unsigned r = 0; r + 1 < RECORD_LINES; ++r) {
        std::vector<uint8_t> bytes(16);
        for (unsigned i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(r * 16 + i * 3 + 1);
        g_lines.push_back(record(r * 16, 0, bytes));
    }
    g_lines.push_back(":00000001FF");
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/korri-fuzz-fw-XXXXXX";
    const int fd = mkstemp(pattern.data());
    FUZZ_CHECK(fd >= 0, "");
    std::string text;
    for (const std::string& line : g_lines) text += line + "\r\n";
    FUZZ_CHECK(write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()), "");
    close(fd);
    g_file_name = pattern;
    std::atexit([] { std::remove(g_file_name.c_str()); });
}

class Loader final : public MemoryDevice {
public:
    FuzzScript* script = nullptr;
    std::vector<int> programmed;  // the record lines programmed, by index, in order
    bool clean = true;
    bool attributable = true;
    int64_t stream_ms = 0;
    int line_transmissions = 0;

    void on_open(MemoryLink& link) override {
        if (script->pick(2, 0) == 1) {
            link.device_send("old console text\r\nKorrim> ", 10);
            clean = false;
        }
        std::vector<uint8_t> prompt{FIRM_ENQ};
        if (script->pick(2, 0) == 1) {
            // Up to four bytes, the prompt among them or not.
            prompt.assign(1 + script->byte(0) % 4, 0);
            for (uint8_t& b : prompt) b = script->byte(FIRM_ENQ);
            clean = false;
        }
        const int64_t power_on_ms = script->delay_ms(USUAL_POWER_ON_MS);
        if (power_on_ms != USUAL_POWER_ON_MS) clean = false;
        link.device_send(prompt, power_on_ms + 100);
    }

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        const std::string bytes(reinterpret_cast<const char*>(data), count);
        if (bytes == std::string(1, static_cast<char>(FIRMSYNC))) {
            if (state_ == State::waiting_sync && handshake_answer(link, 200)) state_ = State::waiting_ident;
            return;
        }
        if (bytes == FIRMWARE_IDENT) {
            if (state_ == State::waiting_ident && handshake_answer(link, 5000)) state_ = State::programming;
            return;
        }
        // Every record line the host sends costs its wait, whether or not the
        // loader listens: a host that took a stray byte for the
        // identification's ACK sends its lines to a loader that still waits.
        ++line_transmissions;
        if (state_ != State::programming) return;  // the loader is not listening for lines
        int index = -1;
        for (std::size_t i = 0; i < g_lines.size(); ++i) {
            if (bytes == g_lines[i] + "\r") index = static_cast<int>(i);
        }
        // 0-3 programmed and ACK, 4 bad checksum (damaged on the way), 5
        // never heard, 6 another answer byte, 7 validation failed.
        const unsigned action = script->pick(8, 0);
        uint8_t answer = FIRM_ACK;
        switch (action) {
        case 4: answer = FIRM_BAD_CHECKSUM; break;
        case 5: clean = false; return;
        case 6: answer = script->byte(FIRM_NO_START); break;
        case 7: answer = FIRM_VALIDATION; break;
        default:
            if (index < 0) answer = FIRM_BAD_CHECKSUM;  // not a record line of the file
            break;
        }
        if (answer == FIRM_ACK) programmed.push_back(index);
        const AnswerFate fate = read_answer_fate(*script, USUAL_ANSWER_MS);
        if (action > 3 || !fate.clean(USUAL_ANSWER_MS)) clean = false;
        if (!fate.attributable(LINE_ANSWER_BOUND_MS, "\x06")) attributable = false;
        stream_ms += send_answer(link, std::vector<uint8_t>{answer}, fate);
    }

private:
    enum class State { waiting_sync, waiting_ident, programming };

    // ACK (or the script's byte) through a hostile line; true when the
    // loader acknowledged.
    bool handshake_answer(MemoryLink& link, int64_t window_ms) {
        const uint8_t answer = script->pick(4, 0) == 3 ? script->byte(FIRM_ACK) : FIRM_ACK;
        const AnswerFate fate = read_answer_fate(*script, USUAL_ANSWER_MS);
        if (answer != FIRM_ACK || !fate.clean(USUAL_ANSWER_MS)) clean = false;
        if (!fate.attributable(window_ms, "\x06")) attributable = false;
        stream_ms += send_answer(link, std::vector<uint8_t>{answer}, fate);
        return answer == FIRM_ACK;
    }
    State state_ = State::waiting_sync;
};

// Every line programmed, in file order; a line again only right after itself.
bool programmed_in_order(const std::vector<int>& programmed) {
    int last = -1;
    for (int index : programmed) {
        if (index != last && index != last + 1) return false;
        last = index;
    }
    return last == static_cast<int>(g_lines.size()) - 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    write_hex_file();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzScript script(data, size);
    Loader loader;  // declared before the port, which holds it
    loader.script = &script;
    SerialPort port(target_output().sink());
    MemoryLink* link = use_memory_link(port, &loader);
    port.set_read_failure([](SerialPort&, int, const char*) { check_failed("the fatal path was reached", ""); });
    clear_interrupts();
    TargetOutput& capture = target_output();
    port.set_out(capture.sink());
    capture.begin();
    // The port layer's messages and the update's go into the same sink, in
    // the order they are printed.
    const int result = firmware_update(port, "COM1", g_file_name.c_str(), {},
                                       [link] { return link->now_ms() / 1000; }, capture.sink());
    const std::string_view out = capture.end();
    const int64_t elapsed = link->now_ms();

    FUZZ_CHECK(!link->is_open && link->open_count == 1, out);
    FUZZ_CHECK(out.size() >= 13 && out.substr(out.size() - 13) == "Disconnected\n", out);
    FUZZ_CHECK(loader.line_transmissions <= static_cast<int>(g_lines.size()) + FIRMWARE_MAX_ERRORS - 1, out);
    FUZZ_CHECK(elapsed <= UPDATE_FIXED_MS + loader.line_transmissions * TRANSMISSION_BOUND_MS + loader.stream_ms,
               out);
    if (result == 0) {
        if (loader.attributable) {
            for (int i = 0; i < static_cast<int>(g_lines.size()); ++i) {
                const bool programmed = std::find(loader.programmed.begin(), loader.programmed.end(), i) !=
                                        loader.programmed.end();
                FUZZ_CHECK(programmed /* a record line the loader never programmed */, out);
            }
            FUZZ_CHECK(programmed_in_order(loader.programmed), out);
        }
    } else {
        FUZZ_CHECK(result < 0, out);
        FUZZ_CHECK(!loader.clean, out);
    }
    return 0;
}
