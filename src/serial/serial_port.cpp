#include "serial/serial_port.hpp"

#include <cstdio>
#include <cstring>

#include "process/interrupt.hpp"
#include "serial/baud_table.hpp"
#include "serial/serial_codes.hpp"

namespace {

#ifdef _WIN32
constexpr std::size_t MAX_PORT_NAME = 15;        // "\\.\" and the name fit 20 bytes
#else
constexpr std::size_t MAX_PORT_NAME = 255;       // a device path, as a command line can hold it
#endif
constexpr uint64_t BIT_TIMES_PER_BYTE = 10;
// A time-out of NO_WAIT reads only what has already arrived.
constexpr int NO_WAIT = -1;

uint32_t ceil_ms(uint64_t us) { return static_cast<uint32_t>((us + 999) / 1000); }

uint64_t line_time_us(uint32_t rate, std::size_t count) {
    if (rate == 0) return 0;
    return (static_cast<uint64_t>(count) * BIT_TIMES_PER_BYTE * 1000000 + rate - 1) / rate;
}

}  // namespace

SerialPort::SerialPort(std::unique_ptr<SerialDriver> driver, Sink& out) : driver_(std::move(driver)), out_(&out) {}

SerialPort::SerialPort(SerialPort&&) noexcept = default;
SerialPort& SerialPort::operator=(SerialPort&& other) noexcept {
    if (this != &other) {
        if (driver_) driver_->close();
        driver_ = std::move(other.driver_);
        name_ = std::move(other.name_);
        rate_ = other.rate_;
        base_timeouts_ = other.base_timeouts_;
        applied_ = other.applied_;
        have_applied_ = other.have_applied_;
        discard_null_ = other.discard_null_;
        applied_discard_null_ = other.applied_discard_null_;
        std::memcpy(error_text_, other.error_text_, sizeof error_text_);
        out_ = other.out_;
        read_failure_ = std::move(other.read_failure_);
    }
    return *this;
}

SerialPort::~SerialPort() {
    if (driver_) driver_->close();
}

SerialDriver& SerialPort::driver() {
    if (!driver_) driver_ = make_platform_driver();
    return *driver_;
}

void SerialPort::set_driver(std::unique_ptr<SerialDriver> driver) {
    if (driver_) driver_->close();
    driver_ = std::move(driver);
    name_.clear();
    forget_line();
}

void SerialPort::forget_line() {
    rate_ = 0;
    base_timeouts_ = {};
    have_applied_ = false;
    discard_null_ = true;
}

CommTimeouts base_timeouts_for(uint32_t rate) {
    CommTimeouts t{};
    t.read_interval = 0;
    t.read_total_multiplier = rate != 0 ? 10000u / rate : 0;
    t.read_total_constant = 1;
    t.write_total_multiplier = rate != 0 ? 20000u / rate : 0;
    t.write_total_constant = 10;
    return t;
}

uint32_t line_time_ms(uint32_t rate, std::size_t count) { return ceil_ms(line_time_us(rate, count)); }

uint32_t write_timeout_ms(uint32_t rate, std::size_t count) {
    return ceil_ms(2 * line_time_us(rate, count)) + base_timeouts_for(rate).write_total_constant;
}

LineSettings line_settings_for(uint32_t rate) {
    LineSettings line{};
    line.baud_rate = rate;
    line.byte_size = 8;
    line.parity = Parity::none;
    line.stop_bits = StopBits::one;
    line.parity_check = false;
    line.outx_cts_flow = false;
    line.outx_dsr_flow = false;
    line.dtr_control = LineControl::disable;
    line.outx = false;
    line.inx = false;
    line.rts_control = LineControl::disable;
    line.discard_null = true;
    // A port left by another program with these set would fail reads at the
    // first framing error, drop input while DSR is low, or rewrite bytes.
    line.abort_on_error = false;
    line.dsr_sensitivity = false;
    line.error_char = false;
    return line;
}

const char* system_error_text(SerialPort& port) {
    SerialDriver& drv = port.driver();
    std::snprintf(port.error_text_, sizeof port.error_text_, "%s", drv.error_text(drv.last_error()).c_str());
    return port.error_text_;
}

// The steps of the operations that reach into the port's state.
struct PortAccess {
    // Hands the time-outs (and the NUL handling) to the driver unless they
    // are already in force.
    static bool apply_timeouts(SerialPort& port, const CommTimeouts& t) {
        if (port.have_applied_ && port.applied_discard_null_ == port.discard_null_ &&
            std::memcmp(&t, &port.applied_, sizeof t) == 0)
            return true;
        if (!port.driver().set_timeouts(t, port.discard_null_)) {
            port.have_applied_ = false;
            return false;
        }
        port.applied_ = t;
        port.applied_discard_null_ = port.discard_null_;
        port.have_applied_ = true;
        return true;
    }

    // The table's entry for the rate; without one, the message, and the port
    // is closed.
    static const int32_t* table_rate(SerialPort& port, int32_t rate) {
        const int32_t* entry = get_baud(rate, port.out());
        if (entry == nullptr) {
            port.out().error("Invalid baud rate %ld\n", static_cast<long>(rate));
            close_port(port);
        }
        return entry;
    }

    // Opens the port at its name with the line at `rate` and the base
    // time-outs; the failing step, after its message.
    static OpenStep open_at(SerialPort& port, uint32_t rate) {
        const CommTimeouts base = base_timeouts_for(rate);
        OpenFailure failure;
        port.have_applied_ = false;
        port.discard_null_ = true;
        if (!port.driver().open(port.name(), line_settings_for(rate), base, failure)) {
            if (failure.step == OpenStep::timeouts) port.rate_ = rate;
            report_open_failure(port, failure);
            return failure.step == OpenStep::none ? OpenStep::open : failure.step;
        }
        port.rate_ = rate;
        port.base_timeouts_ = base;
        port.applied_ = base;
        port.applied_discard_null_ = true;
        port.have_applied_ = true;
        return OpenStep::none;
    }

    static void report_open_failure(SerialPort& port, const OpenFailure& failure) {
        Sink& out = port.out();
        const char* name = port.name();
        const auto reported = static_cast<unsigned>(failure.reported);
        switch (failure.step) {
        case OpenStep::none:
        case OpenStep::open:
            out.error("cannot open COM port %s: %s\n", name, system_error_text(port));
            break;
        case OpenStep::record_length:
        case OpenStep::properties:
            out.error("could not get comm properties for port %s: %s\n", name, system_error_text(port));
            break;
        case OpenStep::params_fixed:
            out.error("required comm properties for port %s not settable: Settable Params 0x%08x\n", name,
                      reported);
            break;
        case OpenStep::data_bits_fixed:
            out.error("8 data bits comm properties for port %s not settable: Settable Data 0x%04x\n",
                      name, reported);
            break;
        case OpenStep::stop_parity_fixed:
            out.error("1 stop bit, no parity comm properties for port %s not settable: "
                      "Settable Stop & Parity 0x%04x\n",
                      name, reported);
            break;
        case OpenStep::timeouts_fixed:
            out.error("timeouts comm properties for port %s not settable: Settable Prov Cap 0x%08x\n",
                      name, reported);
            break;
        case OpenStep::get_state:
            out.error("could not get the comm state for port %s: %s\n", name, system_error_text(port));
            break;
        case OpenStep::set_state:
            out.error("could not set the comm state for port %s: %s\n", name, system_error_text(port));
            break;
        case OpenStep::timeouts:
            out.error("could not set the comm timeouts for port %s: %s\n", name,
                      system_error_text(port));
            break;
        }
    }

    // A read that cannot be performed: the handler decides what follows.
    static void read_failed(SerialPort& port, int code, const char* message) {
        if (port.read_failure_) {
            port.read_failure_(port, code, message);
            return;
        }
        port.out().put(message);
        port.out().printf("Return code %d, system error code %d\n", code, static_cast<int>(port.last_error()));
    }

    static int read(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil* until) {
        char message[1200];
        if (port.name_.empty()) {
            read_failed(port, READ_PORT_SETUP_FAILED, "read_port: Error: invalid param port\n");
            return 0;
        }
        if (buf == nullptr) {
            read_failed(port, READ_PORT_SETUP_FAILED, "read_port: Error: invalid param buf ptr\n");
            return 0;
        }
        if (size <= 0) {
            std::snprintf(message, sizeof message, "read_port: Error: invalid param size: %d\n", size);
            read_failed(port, READ_PORT_SETUP_FAILED, message);
            return 0;
        }
        // A cancelled command reads nothing more: every wait ends at once.
        if (cancel_requested()) return 0;
        CommTimeouts t = port.base_timeouts_;
        if (timeout_ms > 0) {
            t.read_total_multiplier = port.rate_ != 0 ? 10000u / port.rate_ : 0;
            t.read_total_constant = static_cast<uint32_t>(timeout_ms) + 10;
        } else if (timeout_ms == NO_WAIT) {
            t.read_interval = READ_NO_WAIT_INTERVAL;
            t.read_total_multiplier = 0;
            t.read_total_constant = 0;
        }
        if (!apply_timeouts(port, t)) {
            std::snprintf(message, sizeof message, "\a\aError: could not set the comm timeouts for port %s: %s\n",
                          port.name(), system_error_text(port));
            read_failed(port, READ_PORT_SETUP_FAILED, message);
            return 0;
        }
        std::size_t got = 0;
        if (!port.driver().read(static_cast<uint8_t*>(buf), static_cast<std::size_t>(size), got, until)) {
            std::snprintf(message, sizeof message, "\a\aError: could not read on COM port %s: %s\n", port.name(),
                          system_error_text(port));
            read_failed(port, READ_PORT_FAILED, message);
            return 0;
        }
        return static_cast<int>(got);
    }
};

int open_port(SerialPort& port, const char* port_name, int32_t rate) {
    if (port_name == nullptr) {
        port.out().printf("open_port: Error: port null argument\n");
        return OPEN_PORT_NO_NAME;
    }
    if (std::strlen(port_name) > MAX_PORT_NAME) {
        port.out().error("cannot open COM port %s: %s\n", port_name, "port name too long");
        return OPEN_PORT_CANNOT_OPEN;
    }
    port.name_ = port_name;
    const int32_t* entry = PortAccess::table_rate(port, rate);
    if (entry == nullptr) return OPEN_PORT_SETTINGS_FAILED;
    switch (PortAccess::open_at(port, static_cast<uint32_t>(*entry))) {
    case OpenStep::none: break;
    case OpenStep::open: return OPEN_PORT_CANNOT_OPEN;
    case OpenStep::timeouts: return OPEN_PORT_TIMEOUTS_FAILED;
    default: return OPEN_PORT_SETTINGS_FAILED;
    }
    purge_port(port);
    return 0;
}

int set_comm_prop(SerialPort& port, int32_t rate) {
    if (port.name_.empty()) {
        port.out().printf("set_comm_prop: Error: port null argument\n");
        return COMM_PROP_NO_NAME;
    }
    const int32_t* entry = PortAccess::table_rate(port, rate);
    if (entry == nullptr) return COMM_PROP_BAD_RATE;
    switch (PortAccess::open_at(port, static_cast<uint32_t>(*entry))) {
    case OpenStep::none: return 0;
    case OpenStep::open: return OPEN_PORT_CANNOT_OPEN;
    case OpenStep::record_length: return COMM_PROP_NO_RECORD_LENGTH;
    case OpenStep::properties: return COMM_PROP_NO_PROPERTIES;
    case OpenStep::params_fixed: return COMM_PROP_PARAMS_FIXED;
    case OpenStep::data_bits_fixed: return COMM_PROP_DATA_BITS_FIXED;
    case OpenStep::stop_parity_fixed: return COMM_PROP_STOP_PARITY_FIXED;
    case OpenStep::timeouts_fixed: return COMM_PROP_TIMEOUTS_FIXED;
    case OpenStep::get_state: return COMM_PROP_GET_STATE_FAILED;
    case OpenStep::set_state: return COMM_PROP_SET_STATE_FAILED;
    case OpenStep::timeouts: return OPEN_PORT_TIMEOUTS_FAILED;
    }
    return COMM_PROP_SET_STATE_FAILED;
}

int read_port(SerialPort& port, void* buf, int size, int timeout_ms) {
    return PortAccess::read(port, buf, size, timeout_ms, nullptr);
}

int read_port_until(SerialPort& port, void* buf, int size, int timeout_ms, const ReadUntil& until) {
    return PortAccess::read(port, buf, size, timeout_ms, &until);
}

int read_waiting(SerialPort& port, void* buf, int size) { return PortAccess::read(port, buf, size, NO_WAIT, nullptr); }

int write_port(SerialPort& port, const void* buf, int count) {
    Sink& out = port.out();
    if (port.name_.empty()) {
        out.printf("write_port: Error: invalid param file port\n");
        return WRITE_PORT_NO_NAME;
    }
    if (buf == nullptr) {
        out.printf("write_port: Error: invalid param buf ptr\n");
        return WRITE_PORT_NO_BUFFER;
    }
    if (count <= 0) {
        out.printf("write_port: Error: invalid param len: %d\n", count);
        return WRITE_PORT_BAD_COUNT;
    }
    // The write waits for its bytes' line time: the base write time-outs,
    // whole milliseconds per byte, round to nothing above 20000 baud.
    CommTimeouts t = port.have_applied_ ? port.applied_ : port.base_timeouts_;
    t.write_total_multiplier = 0;
    t.write_total_constant = write_timeout_ms(port.rate_, static_cast<std::size_t>(count));
    if (!PortAccess::apply_timeouts(port, t)) {
        out.error("could not set the comm timeouts for port %s: %s\n", port.name(),
                  system_error_text(port));
        return WRITE_PORT_FAILED;
    }
    std::size_t written = 0;
    bool ok = port.driver().write(static_cast<const uint8_t*>(buf), static_cast<std::size_t>(count), written);
    if (!ok || written != static_cast<std::size_t>(count)) {
        // A short write loses bytes: it is a failure, not a success.
        out.error("wrote %d of %d, got error on port %s: %s\n", static_cast<int>(written), count,
                  port.name(), ok ? "write timed out" : system_error_text(port));
        return WRITE_PORT_FAILED;
    }
    return count;
}

bool keep_nul_bytes(SerialPort& port) {
    port.discard_null_ = false;
    const CommTimeouts t = port.have_applied_ ? port.applied_ : port.base_timeouts_;
    if (!PortAccess::apply_timeouts(port, t)) {
        port.out().error("could not set the comm state for port %s: %s\n", port.name(),
                         system_error_text(port));
        return false;
    }
    return true;
}

void purge_port(SerialPort& port) { port.driver().purge(); }

void close_port(SerialPort& port) { port.driver().close(); }
