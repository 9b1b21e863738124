// The narrow interface between the serial port operations and a platform's
// serial API: open a port with its line settings and time-outs, read, write,
// purge, close, and say what went wrong. Each driver maps the records onto
// its platform (termios, kernel32, or the in-memory device of the tests).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

enum class Parity : uint8_t { none, odd, even, mark, space };
enum class StopBits : uint8_t { one, one_and_a_half, two };
// How the driver handles a modem control line (DTR, RTS).
enum class LineControl : uint8_t { disable, enable, handshake, toggle };

// The line settings an open port is given.
struct LineSettings {
    uint32_t baud_rate;
    uint8_t byte_size;
    Parity parity;
    StopBits stop_bits;
    bool parity_check;
    bool outx_cts_flow;
    bool outx_dsr_flow;
    LineControl dtr_control;
    bool outx;             // XON/XOFF output flow control
    bool inx;              // XON/XOFF input flow control
    LineControl rts_control;
    bool discard_null;     // received NUL bytes are dropped
    bool abort_on_error;   // a line error fails every read until it is cleared
    bool dsr_sensitivity;  // input is dropped while DSR is low
    bool error_char;       // bytes with a parity error are replaced
};

// Time-outs in milliseconds: a read waits until its full count has arrived or
// until read_total_multiplier x count + read_total_constant have passed.
// An interval of READ_NO_WAIT_INTERVAL with both read totals 0 makes a read
// return at once with what has already arrived.
inline constexpr uint32_t READ_NO_WAIT_INTERVAL = 0xFFFFFFFFu;
struct CommTimeouts {
    uint32_t read_interval;
    uint32_t read_total_multiplier;
    uint32_t read_total_constant;
    uint32_t write_total_multiplier;
    uint32_t write_total_constant;
};

// An optional early end for a read that waits for an expected reply: once
// `complete` says the bytes so far hold the whole reply, the read ends as soon
// as the line has been quiet for `settle_ms`.
struct ReadUntil {
    std::function<bool(const uint8_t* data, std::size_t count)> complete;
    uint32_t settle_ms;
};

// The steps of an open, in the order a driver takes them. A driver whose
// platform has no provider record (a POSIX terminal) skips the four
// capability steps.
enum class OpenStep : uint8_t {
    none,               // every step succeeded
    open,               // the system refused the port
    record_length,      // the provider's record length cannot be queried
    properties,         // the provider's whole record cannot be queried
    params_fixed,       // parity, rate, data bits or stop bits not settable
    data_bits_fixed,    // 8 data bits not settable
    stop_parity_fixed,  // 1 stop bit, no parity not settable
    timeouts_fixed,     // total and interval time-outs not settable
    get_state,          // the port's line settings cannot be read
    set_state,          // the line settings cannot be set
    timeouts,           // the time-outs cannot be set
};

// Which step of an open failed, and for a capability step the value the
// provider reported.
struct OpenFailure {
    OpenStep step = OpenStep::none;
    uint32_t reported = 0;
};

class SerialDriver {
public:
    virtual ~SerialDriver() = default;

    // Opens the port named "COMn" (or a device path) for exclusive use and
    // gives it the line settings and the time-outs. On failure the port is
    // closed again and `failure` says which step failed.
    virtual bool open(const char* port_name, const LineSettings& line, const CommTimeouts& timeouts,
                      OpenFailure& failure) = 0;
    // Changes the time-outs, and whether NUL bytes are dropped, on the open
    // port: each read has its own time-out, and an exchange that accounts
    // for every byte on the line keeps the NUL bytes.
    virtual bool set_timeouts(const CommTimeouts& timeouts, bool discard_null) = 0;
    // Reads up to `size` bytes under the time-outs in force; false when the
    // read cannot be performed (the device has gone).
    virtual bool read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) = 0;
    // Writes under the time-outs in force; false when the call fails.
    virtual bool write(const uint8_t* buf, std::size_t size, std::size_t& written) = 0;
    // Discards both the transmit and the receive queue.
    virtual void purge() = 0;
    virtual void close() = 0;
    // Number of the last failed system call, and its text (no line end).
    virtual uint32_t last_error() = 0;
    virtual std::string error_text(uint32_t code) = 0;
    // The time the line's bytes are measured by, in microseconds: a steady
    // clock (the in-memory device of the tests has a virtual one).
    virtual int64_t now_us() {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    }
};

// The driver of the platform the program is built for.
std::unique_ptr<SerialDriver> make_platform_driver();
