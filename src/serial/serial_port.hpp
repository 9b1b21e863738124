// The one serial port the program uses at a time, and every operation on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "serial/serial_codes.hpp"
#include "serial/serial_driver.hpp"

// 0 once the port is open at the rate, else an OPEN_PORT_* code after its message.
int open_port(const char* port_name, int32_t rate);
// 0 once the line is set, else a COMM_PROP_* code after its message (the port is closed).
int set_comm_prop(const char* port_name, int32_t rate);
// Bytes read, 0..size; a read that cannot be performed ends the program.
int read_port(const char* port_name, void* buf, int size, int timeout_ms);
// Like read_port, but may end early once `until` says the reply is complete
// and the line has then been quiet for its settle time.
int read_port_until(const char* port_name, void* buf, int size, int timeout_ms, const ReadUntil& until);
// Reads only what has already arrived, without waiting: 0..size bytes.
int read_waiting(const char* port_name, void* buf, int size);
// The count on success; a WRITE_PORT_* code on failure.
int write_port(const char* port_name, const void* buf, int count);
// From now until the port is opened again, the NUL bytes it receives are
// handed over like any other byte (open_port has the driver drop them): an
// exchange that accounts for every byte on the line needs them. False, after
// its message, when the line cannot be set.
bool keep_nul_bytes(const char* port_name);
void purge_port();
void close_port();
const char* system_error_text();
// Writes the message and the codes to standard error; with a non-zero code
// it then pauses 5 seconds and ends the program abnormally.
void report_fatal(int code, const char* message);
// What the fatal path's pause does; tests make it pass no real time. An empty
// one restores the real pause.
using FatalPause = std::function<void(uint32_t ms)>;
void set_fatal_pause(FatalPause pause);

// The driver behind the operations: the platform's by default; tests put an
// in-memory device in its place.
SerialDriver& serial_driver();
void set_serial_driver(std::unique_ptr<SerialDriver> driver);

// The base time-outs computed from a rate, as open_port applies them.
CommTimeouts base_timeouts_for(uint32_t rate);
// The time-out of a write of `count` bytes at `rate`, in milliseconds: two
// character times a byte and 10 ms, from the bytes' line time in microseconds
// rounded up, so that no write is cut short at any rate.
uint32_t write_timeout_ms(uint32_t rate, std::size_t count);
// The time `count` bytes take on the line at `rate` (10 bits a byte), in
// milliseconds rounded up.
uint32_t line_time_ms(uint32_t rate, std::size_t count);
// The rate of the last successful set_comm_prop.
uint32_t port_rate();
