// An in-memory serial driver with a virtual clock, for driving the protocol
// code without hardware. The test plays the device: it schedules bytes for
// the host to read and answers the host's writes through a MemoryDevice.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "serial/provider_check.hpp"
#include "serial/serial_driver.hpp"
#include "serial/serial_port.hpp"

class MemoryLink;

// The device side. on_host_write is called after each write of the host, at
// the virtual time the write ended.
class MemoryDevice {
public:
    virtual ~MemoryDevice() = default;
    virtual void on_open(MemoryLink&) {}
    virtual void on_host_write(MemoryLink&, const uint8_t* /*data*/, std::size_t /*count*/) {}
};

class MemoryLink final : public SerialDriver {
public:
    explicit MemoryLink(MemoryDevice* device = nullptr) : device_(device) {}

    // --- the device side ---
    // Bytes that reach the host `delay_ms` after the current virtual time.
    void device_send(const std::vector<uint8_t>& bytes, int64_t delay_ms = 0);
    void device_send(std::string_view text, int64_t delay_ms = 0);
    int64_t now_ms() const { return now_ms_; }
    void advance_ms(int64_t ms) { now_ms_ += ms; }
    // The wire: with a rate, each byte takes 10 bits at it, whole
    // milliseconds rounded up, in both directions; 0 (the default) puts
    // the host's bytes at the device as soon as they are written.
    uint32_t wire_rate = 0;
    int64_t wire_ms(std::size_t count) const;
    // When the last byte the host wrote reaches the device.
    int64_t wire_end_ms() const { return wire_end_ms_; }
    // An answer sent `latency_ms` after the host's last byte has reached
    // the device; it reaches the host after its own time on the wire.
    void device_answer(const std::vector<uint8_t>& bytes, int64_t latency_ms);
    // Everything the host wrote, in order, and each write call on its own.
    std::vector<uint8_t> host_bytes() const;
    std::vector<std::vector<uint8_t>> host_writes;
    // Bytes waiting for the host (arrived or scheduled).
    std::size_t pending() const { return incoming_.size(); }
    // The operator's Ctrl-C presses, at virtual times in rising order: each is
    // handed to interrupt_pressed when a read's wait reaches it, and a read
    // that the press cancels ends at that time.
    std::deque<int64_t> presses_ms;

    // --- what the host did ---
    std::string opened_name;
    int open_count = 0;
    int close_count = 0;
    int purge_count = 0;
    bool is_open = false;
    LineSettings settings{9600, 7, Parity::even, StopBits::one_and_a_half, true, true, true, LineControl::enable,
                          true, true, LineControl::enable, false, true, true, true};
    CommTimeouts timeouts{};
    int set_timeouts_count = 0;              // time-outs handed to the driver
    std::vector<int64_t> read_durations_ms;  // virtual time each read took

    // --- faults and capabilities (the open takes a Windows port's steps) ---
    bool fail_open = false;
    bool has_properties = true;      // the platform has a provider record
    int fail_properties_query = 0;   // 1 or 2: that query fails
    std::vector<uint16_t> properties_lengths;  // the length given to each query
    bool fail_get_settings = false;
    bool fail_set_settings = false;
    bool fail_set_timeouts = false;
    bool fail_read = false;
    bool fail_write = false;
    long short_write_by = 0;         // a write sends this many bytes fewer
    CommProperties properties{64, 0x7F, 0x000F, 0x1F07, 0xFF};
    uint32_t error_code = 0;

    // SerialDriver
    bool open(const char* port_name, const LineSettings& line, const CommTimeouts& t, OpenFailure& failure) override;
    bool set_timeouts(const CommTimeouts& t, bool discard_null) override;
    bool read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) override;
    bool write(const uint8_t* buf, std::size_t size, std::size_t& written) override;
    void purge() override;
    void close() override;
    uint32_t last_error() override { return error_code; }
    int64_t now_us() override { return now_ms_ * 1000; }
    std::string error_text(uint32_t code) override { return "memory link error " + std::to_string(code); }

private:
    struct Arrival {
        int64_t at_ms;
        uint8_t byte;
    };
    bool get_properties(PropertiesQuery query, uint16_t packet_length, CommProperties& props);
    bool refuse(OpenFailure& failure, OpenStep step);
    // Hands over the presses up to `until`; true when one cancelled the read.
    bool press_until(int64_t until);
    MemoryDevice* device_;
    int64_t now_ms_ = 0;
    int64_t wire_end_ms_ = 0;
    std::deque<Arrival> incoming_;
};

// Makes a new MemoryLink over `device` the driver behind `port`; returns it
// (the port owns it).
MemoryLink* use_memory_link(SerialPort& port, MemoryDevice* device = nullptr);
