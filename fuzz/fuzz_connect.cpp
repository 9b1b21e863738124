// The connect handshake and the re-prompt of a rate change against a hostile
// line, over the in-memory link on its virtual clock. The first input byte
// picks the command (`connect 1 57600`, or `baud 19200` on a connected
// port); the rest builds the device's texts from pieces (its identification,
// versions, "Connected <rate>", its prompt, noise) and decides when they come
// and what the line does with the answers.
//
// The device powers on with its text, answers ctrl-C once it is on and
// answers CR with its prompt. What must hold:
// - `connect` succeeds only when the power-on text carried the
//   identification and then a version of at least 2.4, and the device's own
//   answer to the ctrl-C said "Connected 57600" and reached the host; `baud`
//   only when the device's answer to the CR held the prompt and reached the
//   host; a clean exchange succeeds;
// - a failure leaves the shell disconnected with the port closed;
// - the virtual time stays within the bound below.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "support/fuzz_check.hpp"
#include "support/fuzz_script.hpp"
#include "support/hostile_line.hpp"
#include "support/memory_link.hpp"

namespace {

// The longest a command may take: the drain, the 20 s power-on wait and the
// 2 s wait for "Connected", or the 20 s wait for the prompt, each with the
// quiet that ends it; generous on purpose, lower it to the protocol's own
// bound. A line that keeps sending lengthens it by as long as it sends.
constexpr int64_t COMMAND_BOUND_MS = 100 + 20000 + 2000 + 5000;
// The latest an answer may come and still be told apart from a later one.
constexpr int64_t ANSWER_BOUND_MS = 2000;
constexpr int64_t USUAL_ANSWER_MS = 2;
constexpr int64_t USUAL_POWER_ON_MS = 300;
// The most of the power-on text the host reads.
constexpr std::size_t POWER_ON_READ_BYTES = 100;

const char* const PIECES[] = {"\r\n",     "Korrimatic", " APRS Digipeater", "Version ", "2",         "3",
                              "4",        "5",          "10",               ".",        "Connected ", "57600",
                              "19200",    "Korrim> ",   " ",                "#",        "-1",        "\x01"};
constexpr unsigned PIECE_COUNT = sizeof PIECES / sizeof PIECES[0];

// A text of 1 to 15 pieces; `usual` for a count of 0 and once the input is
// used up.
std::string read_text(FuzzScript& script, const char* usual) {
    const unsigned count = script.byte(0) % 16;
    if (count == 0) return usual;
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t b = script.byte(0);
        // Now and then a raw byte: NULs and bytes above 0x7F among them.
        if (b >= 0xF0) {
            text += static_cast<char>(script.byte(0));
        } else {
            text += PIECES[b % PIECE_COUNT];
        }
    }
    return text;
}

// A decimal number as the command arguments are read: leading white space
// and a sign allowed, then digits (none: 0).
long read_number(const std::string& text, std::size_t& at) {
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long n = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (n < 1000000) n = n * 10 + (text[at] - '0');
        ++at;
    }
    return negative ? -n : n;
}

// The device's own claim: the identification, then "Version " and a
// version of at least 2.4 (no '.' right after the major number: minor 0).
bool announces_good_version(const std::string& text) {
    const std::size_t ident = text.find("Korrimatic");
    if (ident == std::string::npos) return false;
    std::size_t at = text.find("Version ", ident);
    if (at == std::string::npos) return false;
    at += 8;
    const long major = read_number(text, at);
    long minor = 0;
    if (at < text.size() && text[at] == '.') {
        ++at;
        minor = read_number(text, at);
    }
    return major > 2 || (major == 2 && minor >= 4);
}

// The text as the host can read it. The port drops the NUL bytes it receives
// during the console's exchanges (its line settings say so): a NUL is no
// character of the device's texts, and no host with that setting can see
// one, so the claims below are judged without them.
std::string as_read(const std::string& text, bool port_drops_nul) {
    if (!port_drops_nul) return text;
    std::string read;
    for (char c : text) {
        if (c != '\0') read += c;
    }
    return read;
}

// What the line delivers of an answer: the stray bytes, the text as often
// as it arrives, the noise after it.
std::string delivered(const std::string& text, const AnswerFate& fate) {
    std::string line(fate.stray.begin(), fate.stray.end());
    if (!fate.lost) {
        for (int i = 0; i < fate.copies; ++i) line += text;
    }
    return line + std::string(static_cast<std::size_t>(fate.stream_bytes), static_cast<char>(fate.stream_byte));
}

class ConsoleDevice final : public MemoryDevice {
public:
    FuzzScript* script = nullptr;
    bool already_on = false;         // the port opens on a device that is on
    std::string power_on;
    int64_t power_on_ms = USUAL_POWER_ON_MS;
    int64_t on_at_ms = 0;            // when its power-on text has been sent
    bool answered_attention = false;  // its answer to ctrl-C held "Connected 57600" and reached the host
    bool answered_cr = false;         // its answer to CR held the prompt and reached the host
    bool clean = true;
    bool attributable = true;
    int64_t stream_ms = 0;

    void on_open(MemoryLink& link) override {
        if (already_on) return;
        // Console text left from before, during the drain.
        const std::string stale = read_text(*script, "");
        if (!stale.empty()) {
            link.device_send(stale, 20);
            clean = false;
        }
        power_on = read_text(*script, "\r\nKorrimatic APRS Digipeater\r\nVersion 2.5\r\n");
        power_on_ms = script->delay_ms(USUAL_POWER_ON_MS);
        if (power_on_ms != USUAL_POWER_ON_MS) clean = false;
        link.device_send(power_on, power_on_ms);
        on_at_ms = link.now_ms() + power_on_ms;
    }

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        const std::string_view bytes(reinterpret_cast<const char*>(data), count);
        if (bytes == "\x03") {
            if (link.now_ms() < on_at_ms) return;  // still off: nothing hears it
            answer(link, "\r\nConnected 57600\r\nKorrim> ", "Connected 57600", answered_attention);
        } else if (bytes == "\r") {
            answer(link, "\r\nKorrim> ", "Korrim> ", answered_cr);
        } else if (bytes.substr(0, 5) == "host ") {
            // The rate command: whatever the device says to it.
            const std::string text = read_text(*script, "");
            if (!text.empty()) clean = false;
            link.device_send(text, USUAL_ANSWER_MS);
        }
    }

private:
    void answer(MemoryLink& link, const char* usual, const char* needed, bool& answered) {
        const std::string text = read_text(*script, usual);
        const AnswerFate fate = read_answer_fate(*script, USUAL_ANSWER_MS);
        if (!fate.clean(USUAL_ANSWER_MS) || text != usual) clean = false;
        if (!fate.attributable(ANSWER_BOUND_MS)) attributable = false;
        const bool drops_nul = link.settings.discard_null;
        const bool said = as_read(text, drops_nul).find(needed) != std::string::npos;
        // The line's own bytes (a text repeated, a stray byte ahead, noise
        // after) can spell the text awaited where the device's text does not:
        // the host reads a stream, and no host can tell those bytes apart.
        if (!said && as_read(delivered(text, fate), drops_nul).find(needed) != std::string::npos) {
            attributable = false;
        }
        answered = said && !fate.lost;
        stream_ms += send_answer(link, std::vector<uint8_t>(text.begin(), text.end()), fate);
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzScript script(data, size);
    const bool rate_change = script.pick(2, 0) == 1;
    ConsoleDevice device;  // declared before the shell, whose port holds it
    device.script = &script;
    device.already_on = rate_change;
    clear_interrupts();
    ShellState shell;
    MemoryLink* link = use_memory_link(shell.port, &device);
    shell.port.set_read_failure([](SerialPort&, int, const char*) { check_failed("the fatal path was reached", ""); });
    TargetOutput& capture = target_output();
    shell.out = &capture.sink();
    shell.port.set_out(capture.sink());
    capture.begin();
    CommandOutcome outcome;
    int64_t start = 0;
    if (rate_change) {
        std::snprintf(shell.port_name, sizeof shell.port_name, "COM1");
        FUZZ_CHECK(open_port(shell.port, shell.port_name, 57600) == 0, capture.end());
        shell.connected = 1;
        shell.current_baud = 57600;
        start = link->now_ms();
        char args[] = "19200";
        outcome = cmd_baud(shell, args);
    } else {
        char args[] = "1 57600";
        outcome = cmd_connect(shell, args);
    }
    const std::string_view out = capture.end();
    const int64_t elapsed = link->now_ms() - start;

    FUZZ_CHECK(elapsed <= COMMAND_BOUND_MS + device.stream_ms, out);
    if (outcome == CommandOutcome::done) {
        FUZZ_CHECK(shell.connected == 1 && link->is_open, out);
        if (device.attributable) {
            if (rate_change) {
                FUZZ_CHECK(device.answered_cr, out);
            } else {
                FUZZ_CHECK(announces_good_version(as_read(device.power_on, link->settings.discard_null)), out);
                FUZZ_CHECK(device.answered_attention, out);
            }
        }
    } else {
        FUZZ_CHECK(outcome == CommandOutcome::failed, out);
        FUZZ_CHECK(shell.connected == 0 && !link->is_open, out);
        // The host reads the first POWER_ON_READ_BYTES of the power-on text
        // (NULs dropped): a text that announces its version only after them
        // is beyond what the host reads, and no clean exchange.
        const std::string power_on = as_read(device.power_on, link->settings.discard_null);
        const bool power_on_clean = rate_change || announces_good_version(power_on.substr(0, POWER_ON_READ_BYTES));
        FUZZ_CHECK(!device.clean || !power_on_clean, out);
    }
    return 0;
}
