// The connect handshake with the device's console.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/connect_hints.hpp"
#include "device/device_link.hpp"
#include "device/device_replies.hpp"
#include "device/power_on_wait.hpp"
#include "process/interrupt.hpp"
#include "serial/countdown_read.hpp"
#include "serial/drain_input.hpp"
#include "serial/serial_port.hpp"
#include "text/hexdump.hpp"

namespace {

constexpr int POWER_ON_READ = 100;
constexpr int STALE_READ = 40;
constexpr int STALE_TIMEOUT_MS = 100;
constexpr int CONNECTED_TIMEOUT_MS = 2000;
constexpr int PROMPT_TIMEOUT_MS = 20000;
constexpr int MIN_MAJOR = 2;
constexpr int MIN_MINOR = 4;
constexpr uint8_t ATTENTION = 0x03;  // ctrl-C

// A device reply, terminated after the bytes read so that it searches as text.
struct Reply {
    static constexpr int CAPACITY = 1024;
    char text[CAPACITY + 1];
};

void dump_reply(const Reply& reply, int count, Sink& out) { hexdump(1, "Got", reply.text, count, 10, out); }

// A wait that the operator cancelled with Ctrl-C ends the handshake as its
// failures do: the port is closed.
bool cancelled_here(SerialPort& port, Sink& out) {
    if (!cancel_requested()) return false;
    out.error_below("connect cancelled by Ctrl-C!\n");
    close_port(port);
    return true;
}

// Reads the reply and terminates it.
int read_reply(SerialPort& port, Reply& reply, int timeout_ms, const ReadUntil& until) {
    int n = read_port_until(port, reply.text, Reply::CAPACITY, timeout_ms, until);
    reply.text[n] = '\0';
    return n;
}

// What the console still says after the reply that was waited for is read
// and dropped, so that no later exchange takes it for its own answer.
void drain_reply_tail(SerialPort& port) { drain_stale_input(port, STALE_READ, CONSOLE_QUIET_MS); }

bool reprompt(SerialPort& port, int32_t rate, Sink& out) {
    Reply reply;
    const uint8_t cr = '\r';
    if (write_port(port, &cr, 1) <= 0) {
        out.error("wrote CR character, got error on port %s\n", port.name());
        close_port(port);
        return false;
    }
    read_reply(port, reply, PROMPT_TIMEOUT_MS, until_text(DEVICE_PROMPT, port_rate(port)));
    if (cancelled_here(port, out)) return false;
    if (std::strstr(reply.text, DEVICE_PROMPT) != nullptr) {
        drain_reply_tail(port);
        out.printf("\aConnected at %ld\n", static_cast<long>(rate));
        return true;
    }
    out.error("did not receive the Korrimatic prompt!\n");
    close_port(port);
    return false;
}

// Has the operator power the device on the open port and reads its power-on
// text, NUL and non-ASCII bytes shown as '#'. The byte count, or -1 when the
// wait was cancelled (the port is closed).
int read_power_on(SerialPort& port, Reply& reply, Sink& out) {
    drain_stale_input(port, STALE_READ, STALE_TIMEOUT_MS);
    purge_port(port);
    out.printf("\a\aTURN ON the Korrimatic or CYCLE THE POWER if it is already on.\n"
               "You have %ld seconds to do this...",
               static_cast<long>(POWER_ON_WAIT_S));

    const ReadUntil power_on{power_on_complete, settle_ms_for(port_rate(port))};
    int n = read_port_counting_down(port, reply.text, POWER_ON_READ, POWER_ON_WAIT_MS, &power_on);
    reply.text[n] = '\0';
    if (cancelled_here(port, out)) return -1;
    std::replace_if(
        reply.text, reply.text + n, [](char c) { return c == '\0' || static_cast<unsigned char>(c) > 0x7F; }, '#');
    return n;
}

// Checks the power-on text for the identification word and a version at
// least the minimum. False after the message (the port is closed).
bool check_power_on_text(SerialPort& port, int32_t rate, Reply& reply, int n, DeviceVersion& version, Sink& out) {
    const char* ident = std::strstr(reply.text, DEVICE_IDENT);
    if (ident == nullptr) {
        out.error_below("did not receive the Korrimatic prompt!\nExpected: Korrimatic\n");
        dump_reply(reply, n, out);
        offer_power_on_hint(out, port.name(), reply.text, n, rate);
        close_port(port);
        return false;
    }
    const char* label = std::strstr(ident, VERSION_LABEL);
    if (label == nullptr) {
        out.error_below("did not receive the Korrimatic version (minimum %d.%d)!\n", MIN_MAJOR, MIN_MINOR);
        close_port(port);
        return false;
    }
    version = parse_device_version(label + std::strlen(VERSION_LABEL));
    if (version.major < MIN_MAJOR || (version.major == MIN_MAJOR && version.minor < MIN_MINOR)) {
        out.error_below("received Korrimatic version %d.%d but minimal is %d.%d!\n", version.major,
                        version.minor, MIN_MAJOR, MIN_MINOR);
        offer_old_firmware_hint(out, port.name());
        close_port(port);
        return false;
    }
    return true;
}

// Sends ctrl-C and waits for "Connected <rate>". False after the message
// (the port is closed).
bool attention(SerialPort& port, int32_t rate, Reply& reply, Sink& out) {
    // Only what arrives after ctrl-C can answer it: the rest of the power-on
    // text is dropped.
    (void)discard_waiting(port);
    if (write_port(port, &ATTENTION, 1) <= 0) {
        out.error_below("wrote <ctrl>-c attention character, got error on port %s\n", port.name());
        close_port(port);
        return false;
    }
    char expected[40];
    std::snprintf(expected, sizeof expected, "Connected %ld", static_cast<long>(rate));
    int m = read_reply(port, reply, CONNECTED_TIMEOUT_MS, until_connected(rate, port_rate(port)));
    if (cancelled_here(port, out)) return false;
    if (!connected_reply(reinterpret_cast<const uint8_t*>(reply.text), static_cast<std::size_t>(m), rate, true)) {
        out.error_below("did not receive the Korrimatic Connected string!\nExpected %s\n", expected);
        dump_reply(reply, m, out);
        close_port(port);
        return false;
    }
    drain_reply_tail(port);
    return !cancelled_here(port, out);
}

bool connect_initial(SerialPort& port, const char* port_name, int32_t rate, Sink& out, DeviceVersion& version) {
    if (open_port(port, port_name, rate) != 0) {
        out.error("could not open COM port %s\n", port_name);
        return false;
    }
    Reply reply;
    const int n = read_power_on(port, reply, out);
    if (n < 0) return false;
    if (!check_power_on_text(port, rate, reply, n, version, out)) return false;
    if (!attention(port, rate, reply, out)) return false;
    out.printf("\n");
    out.printf("\aConnected at %ld\n", static_cast<long>(rate));
    show_firmware_version(version.major, version.minor, out);
    return true;
}

}  // namespace

bool connect_device(SerialPort& port, const char* port_name, int32_t rate, bool reprompt_mode, Sink& out,
                    DeviceVersion* version) {
    out.printf("Connecting at %ld...\n", static_cast<long>(rate));
    DeviceVersion read{};
    const bool connected = reprompt_mode ? reprompt(port, rate, out) : connect_initial(port, port_name, rate, out, read);
    if (version != nullptr && !reprompt_mode) *version = read;
    return connected;
}
