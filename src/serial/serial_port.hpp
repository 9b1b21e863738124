// The serial port the program works with, and every operation on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/serial_codes.hpp"
#include "serial/serial_driver.hpp"
#include "text/sink.hpp"

class SerialPort;

// What a read that cannot be performed leads to is the caller's decision
// (the shell ends the program, or at a terminal the command): the port hands
// the handler the code (READ_PORT_*) and its message. When the handler
// returns, the read returns 0 bytes.
using ReadFailureHandler = std::function<void(SerialPort& port, int code, const char* message)>;

// One port: the driver behind it, the name it was opened by (for messages),
// its rate and time-outs, and where its own messages go.
class SerialPort {
public:
    // The platform's driver unless another is given; its messages, and those
    // of a failed read when no handler is set, go to `out`.
    explicit SerialPort(Sink& out) : SerialPort(nullptr, out) {}
    SerialPort(std::unique_ptr<SerialDriver> driver, Sink& out);
    SerialPort(SerialPort&&) noexcept;
    SerialPort& operator=(SerialPort&&) noexcept;
    ~SerialPort();

    SerialDriver& driver();
    // Puts another driver behind the port (closing the one before); the port
    // starts afresh, closed.
    void set_driver(std::unique_ptr<SerialDriver> driver);
    // The name of the last open_port ("COMn" or a device path).
    const char* name() const { return name_.c_str(); }
    // The rate of the last successful set_comm_prop (R).
    uint32_t rate() const { return rate_; }
    Sink& out() const { return *out_; }
    void set_out(Sink& out) { out_ = &out; }
    void set_read_failure(ReadFailureHandler handler) { read_failure_ = std::move(handler); }
    // The number of the driver's last failed system call.
    uint32_t last_error() { return driver().last_error(); }

private:
    friend int open_port(SerialPort&, const char*, int32_t);
    friend int set_comm_prop(SerialPort&, int32_t);
    friend int write_port(SerialPort&, const void*, int);
    friend bool keep_nul_bytes(SerialPort&);
    friend const char* system_error_text(SerialPort&);
    friend struct PortAccess;

    void forget_line();

    std::unique_ptr<SerialDriver> driver_;
    std::string name_;
    uint32_t rate_ = 0;             // R: the rate of the last successful set_comm_prop
    CommTimeouts base_timeouts_{};
    CommTimeouts applied_{};        // the time-outs last handed to the driver
    bool have_applied_ = false;
    bool discard_null_ = true;      // NUL bytes are dropped (until keep_nul_bytes)
    bool applied_discard_null_ = true;
    char error_text_[1024] = {};
    Sink* out_;
    ReadFailureHandler read_failure_;
};

// 0 once the port is open at the rate, else an OPEN_PORT_* code after its message.
int open_port(SerialPort& port, const char* port_name, int32_t rate);
// Sets the line of the port named at the last open_port to the rate, 8N1: the
// port is opened afresh with those settings. 0 once the line is set, else a
// COMM_PROP_* code after its message (the port is closed); a port that cannot
// be opened again, or given its time-outs, returns OPEN_PORT_CANNOT_OPEN or
// OPEN_PORT_TIMEOUTS_FAILED.
int set_comm_prop(SerialPort& port, int32_t rate);
// Bytes read, 0..size; a read that cannot be performed goes to the port's
// read-failure handler.
int read_port(SerialPort& port, void* buf, int size, int timeout_ms);
// Like read_port, but may end early once `until` says the reply is complete
// and the line has then been quiet for its settle time.
int read_port_until(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil& until);
// Reads only what has already arrived, without waiting: 0..size bytes.
int read_waiting(SerialPort& port, void* buf, int size);
// The count on success; a WRITE_PORT_* code on failure.
int write_port(SerialPort& port, const void* buf, int count);
// From now until the port is opened again, the NUL bytes it receives are
// handed over like any other byte (open_port has the driver drop them): an
// exchange that accounts for every byte on the line needs them. False, after
// its message, when the line cannot be set.
bool keep_nul_bytes(SerialPort& port);
void purge_port(SerialPort& port);
void close_port(SerialPort& port);
const char* system_error_text(SerialPort& port);

// The base time-outs computed from a rate, as open_port applies them.
CommTimeouts base_timeouts_for(uint32_t rate);
// The time-out of a write of `count` bytes at `rate`, in milliseconds: two
// character times a byte and 10 ms, from the bytes' line time in microseconds
// rounded up, so that no write is cut short at any rate.
uint32_t write_timeout_ms(uint32_t rate, std::size_t count);
// The time `count` bytes take on the line at `rate` (10 bits a byte), in
// milliseconds rounded up.
uint32_t line_time_ms(uint32_t rate, std::size_t count);
// The line settings open_port gives a port: the rate, 8N1, no flow control,
// DTR and RTS dropped, NUL bytes discarded.
LineSettings line_settings_for(uint32_t rate);
// The rate of the port's last successful set_comm_prop.
inline uint32_t port_rate(const SerialPort& port) { return port.rate(); }
