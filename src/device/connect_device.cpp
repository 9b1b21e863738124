// The connect handshake with the device's console.
#include <cstdio>
#include <cstring>

#include "device/connect_hints.hpp"
#include "device/device_link.hpp"
#include "device/device_replies.hpp"
#include "process/interrupt.hpp"
#include "serial/countdown_read.hpp"
#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"
#include "text/hexdump.hpp"
#include "text/numbers.hpp"

namespace {

constexpr int POWER_ON_WAIT_S = 20;
constexpr int POWER_ON_TIMEOUT_MS = 20000;
constexpr int POWER_ON_READ = 100;
constexpr int STALE_READ = 40;
constexpr int STALE_TIMEOUT_MS = 100;
constexpr int CONNECTED_TIMEOUT_MS = 2000;
constexpr int PROMPT_TIMEOUT_MS = 20000;
constexpr int MIN_MAJOR = 2;
constexpr int MIN_MINOR = 4;
constexpr uint8_t ATTENTION = 0x03;  // ctrl-C

// Device replies, terminated after the bytes read so they search as text.
char reply_buffer[1024 + 1];

void dump_reply(int count) { hexdump(stdout, 1, "Got", reply_buffer, count, 10); }

// A wait that the operator cancelled with Ctrl-C ends the handshake as its
// failures do: the port is closed.
bool cancelled_here(SerialPort& port) {
    if (!cancel_requested()) return false;
    std::printf("\n\a\aError: connect cancelled by Ctrl-C!\n");
    close_port(port);
    return true;
}

// Reads the reply into reply_buffer and terminates it.
int read_reply(SerialPort& port, int size, int timeout_ms, const ReadUntil& until) {
    int n = read_port_until(port, reply_buffer, size, timeout_ms, until);
    reply_buffer[n] = '\0';
    return n;
}

// What the console still says after the reply that was waited for is read
// and dropped, so that no later exchange takes it for its own answer.
void drain_reply_tail(SerialPort& port) { drain_stale_input(port, STALE_READ, CONSOLE_QUIET_MS); }

bool reprompt(SerialPort& port, int32_t rate) {
    const uint8_t cr = '\r';
    if (write_port(port, &cr, 1) <= 0) {
        std::printf("\a\aError: wrote CR character, got error on port %s\n", port.name());
        close_port(port);
        return false;
    }
    read_reply(port, sizeof reply_buffer - 1, PROMPT_TIMEOUT_MS, until_text(DEVICE_PROMPT, port_rate(port)));
    if (cancelled_here(port)) return false;
    if (std::strstr(reply_buffer, DEVICE_PROMPT) != nullptr) {
        drain_reply_tail(port);
        std::printf("\aConnected at %ld\n", static_cast<long>(rate));
        return true;
    }
    std::printf("\a\aError: did not receive the Korrimatic prompt!\n");
    close_port(port);
    return false;
}

bool connect_initial(SerialPort& port, const char* port_name, int32_t rate) {
    if (open_port(port, port_name, rate) != 0) {
        std::printf("\a\aError: could not open COM port %s\n", port_name);
        return false;
    }
    drain_stale_input(port, STALE_READ, STALE_TIMEOUT_MS);
    purge_port(port);
    std::printf("\a\aTURN ON the Korrimatic or CYCLE THE POWER if it is already on.\n"
                "You have %ld seconds to do this...",
                static_cast<long>(POWER_ON_WAIT_S));

    const ReadUntil power_on{power_on_complete, settle_ms_for(port_rate(port))};
    int n = read_port_counting_down(port, reply_buffer, POWER_ON_READ, POWER_ON_TIMEOUT_MS, &power_on);
    reply_buffer[n] = '\0';
    if (cancelled_here(port)) return false;
    for (int i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(reply_buffer[i]);
        if (b == 0 || b > 0x7F) reply_buffer[i] = '#';
    }
    const char* ident = std::strstr(reply_buffer, DEVICE_IDENT);
    if (ident == nullptr) {
        std::printf("\n\a\aError: did not receive the Korrimatic prompt!\nExpected: Korrimatic\n");
        dump_reply(n);
        offer_power_on_hint(port.name(), reply_buffer, n, rate);
        close_port(port);
        return false;
    }
    const char* label = std::strstr(ident, VERSION_LABEL);
    if (label == nullptr) {
        std::printf("\n\a\aError: did not receive the Korrimatic version (minimum %d.%d)!\n", MIN_MAJOR, MIN_MINOR);
        close_port(port);
        return false;
    }
    const char* number = label + std::strlen(VERSION_LABEL);
    int major = parse_decimal(number);
    const char* dot = std::strchr(number, '.');
    int minor = 0;  // a version without a '.' has minor number 0
    if (dot != nullptr) {
        // The '.' must follow the major number itself, not some later text.
        const char* p = number;
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
        if (*p == '+' || *p == '-') ++p;
        while (*p >= '0' && *p <= '9') ++p;
        if (p == dot) minor = parse_decimal(dot + 1);
    }
    if (major < MIN_MAJOR || (major == MIN_MAJOR && minor < MIN_MINOR)) {
        std::printf("\n\a\aError: received Korrimatic version %d.%d but minimal is %d.%d!\n", major, minor, MIN_MAJOR,
                    MIN_MINOR);
        offer_old_firmware_hint(port.name());
        close_port(port);
        return false;
    }
    // Only what arrives after ctrl-C can answer it: the rest of the power-on
    // text is dropped.
    (void)discard_waiting(port);
    if (write_port(port, &ATTENTION, 1) <= 0) {
        std::printf("\n\a\aError: wrote <ctrl>-c attention character, got error on port %s\n", port.name());
        close_port(port);
        return false;
    }
    char expected[40];
    std::snprintf(expected, sizeof expected, "Connected %ld", static_cast<long>(rate));
    int m = read_reply(port, sizeof reply_buffer - 1, CONNECTED_TIMEOUT_MS, until_connected(rate, port_rate(port)));
    if (cancelled_here(port)) return false;
    if (!connected_reply(reinterpret_cast<const uint8_t*>(reply_buffer), static_cast<std::size_t>(m), rate, true)) {
        std::printf("\n\a\aError: did not receive the Korrimatic Connected string!\nExpected %s\n", expected);
        dump_reply(m);
        close_port(port);
        return false;
    }
    drain_reply_tail(port);
    if (cancelled_here(port)) return false;
    std::printf("\n");
    std::printf("\aConnected at %ld\n", static_cast<long>(rate));
    show_firmware_version(major, minor);
    return true;
}

}  // namespace

bool connect_device(SerialPort& port, const char* port_name, int32_t rate, bool reprompt_mode) {
    std::printf("Connecting at %ld...\n", static_cast<long>(rate));
    return reprompt_mode ? reprompt(port, rate) : connect_initial(port, port_name, rate);
}
