// The narrow interface between the serial port operations and a platform's
// serial API. The records mirror what the port operations need to know and
// set; each driver maps them onto its platform (termios, kernel32, or the
// in-memory device of the tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What the port's provider says it can do (the settable masks use the
// Windows bit values: SP_*, DATABITS_*, STOPBITS_* | PARITY_*, PCF_*).
struct CommProperties {
    uint16_t packet_length;        // length of the provider's full record
    uint32_t settable_params;      // SP_PARITY 0x01, SP_BAUD 0x02, SP_DATABITS 0x04, SP_STOPBITS 0x08
    uint16_t settable_data;        // DATABITS_8 0x0008
    uint16_t settable_stop_parity; // STOPBITS_10 0x0001, PARITY_NONE 0x0100
    uint32_t provider_capabilities;// PCF_TOTALTIMEOUTS 0x40, PCF_INTTIMEOUTS 0x80
};

// The two properties queries: the first learns the length of the provider's
// record, the second asks for the whole record of that length.
enum class PropertiesQuery { provider_length, full_record };

enum class Parity : uint8_t { none, odd, even, mark, space };
enum class StopBits : uint8_t { one, one_and_a_half, two };
// How the driver handles a modem control line (DTR, RTS).
enum class LineControl : uint8_t { disable, enable, handshake, toggle };

// The line settings of an open port.
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

class SerialDriver {
public:
    virtual ~SerialDriver() = default;

    // Opens the port named "COMn" for exclusive use.
    virtual bool open(const char* port_name) = 0;
    // Whether the platform has a provider record to query: a POSIX terminal
    // has none, and termios can set every line setting the program uses.
    virtual bool has_provider_properties() const = 0;
    // Queries the provider's properties with a record of the given length.
    virtual bool get_properties(PropertiesQuery query, uint16_t packet_length, CommProperties& props) = 0;
    virtual bool get_line_settings(LineSettings& settings) = 0;
    virtual bool set_line_settings(const LineSettings& settings) = 0;
    virtual bool set_timeouts(const CommTimeouts& timeouts) = 0;
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
};

// The driver of the platform the program is built for.
std::unique_ptr<SerialDriver> make_platform_driver();
