#include "serial/serial_port.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "process/interrupt.hpp"
#include "process/pause.hpp"
#include "serial/baud_table.hpp"
#include "serial/port_lost.hpp"
#include "serial/serial_codes.hpp"

namespace {

std::unique_ptr<SerialDriver> g_driver;
uint32_t g_rate = 0;            // R: the rate of the last successful set_comm_prop
CommTimeouts g_base_timeouts{};
CommTimeouts g_applied{};       // the time-outs last handed to the driver
bool g_have_applied = false;
char g_error_text[1024];
FatalPause g_fatal_pause;       // empty: the real pause

constexpr uint16_t FIRST_PROPERTIES_LENGTH = 62;
constexpr uint32_t REQUIRED_PARAMS = 0x0F;       // SP_PARITY | SP_BAUD | SP_DATABITS | SP_STOPBITS
constexpr uint16_t REQUIRED_DATA = 0x0008;       // DATABITS_8
constexpr uint16_t REQUIRED_STOP_PARITY = 0x0101;// STOPBITS_10 | PARITY_NONE
constexpr uint32_t REQUIRED_PROVIDER = 0x00C0;   // PCF_TOTALTIMEOUTS | PCF_INTTIMEOUTS
#ifdef _WIN32
constexpr std::size_t MAX_PORT_NAME = 15;        // "\\.\" and the name fit 20 bytes
#else
constexpr std::size_t MAX_PORT_NAME = 255;       // a device path, as a command line can hold it
#endif
constexpr uint32_t FATAL_PAUSE_MS = 5000;

}  // namespace

SerialDriver& serial_driver() {
    if (!g_driver) g_driver = make_platform_driver();
    return *g_driver;
}

void set_serial_driver(std::unique_ptr<SerialDriver> driver) {
    g_driver = std::move(driver);
    g_rate = 0;
    g_base_timeouts = {};
    g_have_applied = false;
}

uint32_t port_rate() { return g_rate; }

CommTimeouts base_timeouts_for(uint32_t rate) {
    CommTimeouts t{};
    t.read_interval = 0;
    t.read_total_multiplier = rate != 0 ? 10000u / rate : 0;
    t.read_total_constant = 1;
    t.write_total_multiplier = rate != 0 ? 20000u / rate : 0;
    t.write_total_constant = 10;
    return t;
}

namespace {

constexpr uint64_t BIT_TIMES_PER_BYTE = 10;

uint32_t ceil_ms(uint64_t us) { return static_cast<uint32_t>((us + 999) / 1000); }

uint64_t line_time_us(uint32_t rate, std::size_t count) {
    if (rate == 0) return 0;
    return (static_cast<uint64_t>(count) * BIT_TIMES_PER_BYTE * 1000000 + rate - 1) / rate;
}

// Hands the time-outs to the driver unless they are already in force.
bool apply_timeouts(const CommTimeouts& t) {
    if (g_have_applied && std::memcmp(&t, &g_applied, sizeof t) == 0) return true;
    if (!serial_driver().set_timeouts(t)) {
        g_have_applied = false;
        return false;
    }
    g_applied = t;
    g_have_applied = true;
    return true;
}

}  // namespace

uint32_t line_time_ms(uint32_t rate, std::size_t count) { return ceil_ms(line_time_us(rate, count)); }

uint32_t write_timeout_ms(uint32_t rate, std::size_t count) {
    return ceil_ms(2 * line_time_us(rate, count)) + base_timeouts_for(rate).write_total_constant;
}

const char* system_error_text() {
    SerialDriver& drv = serial_driver();
    std::snprintf(g_error_text, sizeof g_error_text, "%s", drv.error_text(drv.last_error()).c_str());
    return g_error_text;
}

void set_fatal_pause(FatalPause pause) { g_fatal_pause = std::move(pause); }

void report_fatal(int code, const char* message) {
    SerialDriver& drv = serial_driver();
    if (port_loss_survivable()) std::fputs("\n", stderr);  // below a wait's unfinished line
    std::fputs(message, stderr);
    std::fprintf(stderr, "Return code %d, system error code %d\n", code, static_cast<int>(drv.last_error()));
    if (code != 0) {
        if (port_loss_survivable()) throw PortLost{code};  // at a terminal: the command ends, not the program
        if (g_fatal_pause) g_fatal_pause(FATAL_PAUSE_MS);
        else pause_ms(FATAL_PAUSE_MS);
        std::abort();
    }
}

int open_port(const char* port_name, int32_t rate) {
    if (port_name == nullptr) {
        std::printf("open_port: Error: port null argument\n");
        return OPEN_PORT_NO_NAME;
    }
    SerialDriver& drv = serial_driver();
    if (std::strlen(port_name) > MAX_PORT_NAME) {
        std::printf("\a\aError: cannot open COM port %s: %s\n", port_name, "port name too long");
        return OPEN_PORT_CANNOT_OPEN;
    }
    if (!drv.open(port_name)) {
        std::printf("\a\aError: cannot open COM port %s: %s\n", port_name, system_error_text());
        return OPEN_PORT_CANNOT_OPEN;
    }
    if (set_comm_prop(port_name, rate) != 0) return OPEN_PORT_SETTINGS_FAILED;
    g_base_timeouts = base_timeouts_for(g_rate);
    g_have_applied = false;
    if (!apply_timeouts(g_base_timeouts)) {
        std::printf("\a\aError: could not set the comm timeouts for port %s: %s\n", port_name, system_error_text());
        close_port();
        return OPEN_PORT_TIMEOUTS_FAILED;
    }
    purge_port();
    return 0;
}

namespace {

// Learns the provider's record length, queries the whole record and tests
// that the port can be set to 8N1 with timed reads. 0, or the failing step's
// code after its message; the caller closes the port.
int check_provider(SerialDriver& drv, const char* port_name) {
    CommProperties first{};
    if (!drv.get_properties(PropertiesQuery::provider_length, FIRST_PROPERTIES_LENGTH, first)) {
        std::printf("\a\aError: could not get comm properties for port %s: %s\n", port_name, system_error_text());
        return COMM_PROP_NO_RECORD_LENGTH;
    }
    CommProperties props{};
    if (!drv.get_properties(PropertiesQuery::full_record, first.packet_length, props)) {
        std::printf("\a\aError: could not get comm properties for port %s: %s\n", port_name, system_error_text());
        return COMM_PROP_NO_PROPERTIES;
    }
    if ((props.settable_params & REQUIRED_PARAMS) != REQUIRED_PARAMS) {
        std::printf("\a\aError: required comm properties for port %s not settable: Settable Params 0x%08x\n",
                    port_name, static_cast<unsigned>(props.settable_params));
        return COMM_PROP_PARAMS_FIXED;
    }
    if ((props.settable_data & REQUIRED_DATA) != REQUIRED_DATA) {
        std::printf("\a\aError: 8 data bits comm properties for port %s not settable: Settable Data 0x%04x\n",
                    port_name, static_cast<unsigned>(props.settable_data));
        return COMM_PROP_DATA_BITS_FIXED;
    }
    if ((props.settable_stop_parity & REQUIRED_STOP_PARITY) != REQUIRED_STOP_PARITY) {
        std::printf("\a\aError: 1 stop bit, no parity comm properties for port %s not settable: "
                    "Settable Stop & Parity 0x%04x\n",
                    port_name, static_cast<unsigned>(props.settable_stop_parity));
        return COMM_PROP_STOP_PARITY_FIXED;
    }
    if ((props.provider_capabilities & REQUIRED_PROVIDER) != REQUIRED_PROVIDER) {
        std::printf("\a\aError: timeouts comm properties for port %s not settable: Settable Prov Cap 0x%08x\n",
                    port_name, static_cast<unsigned>(props.provider_capabilities));
        return COMM_PROP_TIMEOUTS_FIXED;
    }
    return 0;
}

}  // namespace

int set_comm_prop(const char* port_name, int32_t rate) {
    if (port_name == nullptr) {
        std::printf("set_comm_prop: Error: port null argument\n");
        return COMM_PROP_NO_NAME;
    }
    SerialDriver& drv = serial_driver();
    const int32_t* entry = get_baud(rate);
    if (entry == nullptr) {
        std::printf("\a\aError: Invalid baud rate %ld\n", static_cast<long>(rate));
        close_port();
        return COMM_PROP_BAD_RATE;
    }
    if (drv.has_provider_properties()) {
        const int code = check_provider(drv, port_name);
        if (code != 0) {
            close_port();
            return code;
        }
    }
    LineSettings line{};
    if (!drv.get_line_settings(line)) {
        std::printf("\a\aError: could not get the comm state for port %s: %s\n", port_name, system_error_text());
        close_port();
        return COMM_PROP_GET_STATE_FAILED;
    }
    line.baud_rate = static_cast<uint32_t>(*entry);
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
    if (!drv.set_line_settings(line)) {
        std::printf("\a\aError: could not set the comm state for port %s: %s\n", port_name, system_error_text());
        close_port();
        return COMM_PROP_SET_STATE_FAILED;
    }
    g_rate = line.baud_rate;
    return 0;
}

namespace {

// A time-out of NO_WAIT reads only what has already arrived.
constexpr int NO_WAIT = -1;

int read_port_impl(const char* port_name, void* buf, int size, int timeout_ms, const ReadUntil* until) {
    char message[1200];
    if (port_name == nullptr) report_fatal(READ_PORT_SETUP_FAILED, "read_port: Error: invalid param port\n");
    if (buf == nullptr) report_fatal(READ_PORT_SETUP_FAILED, "read_port: Error: invalid param buf ptr\n");
    if (size <= 0) {
        std::snprintf(message, sizeof message, "read_port: Error: invalid param size: %d\n", size);
        report_fatal(READ_PORT_SETUP_FAILED, message);
    }
    // A cancelled command reads nothing more: every wait ends at once.
    if (cancel_requested()) return 0;
    SerialDriver& drv = serial_driver();
    CommTimeouts t = g_base_timeouts;
    if (timeout_ms > 0) {
        t.read_total_multiplier = g_rate != 0 ? 10000u / g_rate : 0;
        t.read_total_constant = static_cast<uint32_t>(timeout_ms) + 10;
    } else if (timeout_ms == NO_WAIT) {
        t.read_interval = READ_NO_WAIT_INTERVAL;
        t.read_total_multiplier = 0;
        t.read_total_constant = 0;
    }
    if (!apply_timeouts(t)) {
        std::snprintf(message, sizeof message, "\a\aError: could not set the comm timeouts for port %s: %s\n",
                      port_name, system_error_text());
        report_fatal(READ_PORT_SETUP_FAILED, message);
    }
    std::size_t got = 0;
    if (!drv.read(static_cast<uint8_t*>(buf), static_cast<std::size_t>(size), got, until)) {
        std::snprintf(message, sizeof message, "\a\aError: could not read on COM port %s: %s\n", port_name,
                      system_error_text());
        report_fatal(READ_PORT_FAILED, message);
    }
    return static_cast<int>(got);
}

}  // namespace

int read_port(const char* port_name, void* buf, int size, int timeout_ms) {
    return read_port_impl(port_name, buf, size, timeout_ms, nullptr);
}

int read_port_until(const char* port_name, void* buf, int size, int timeout_ms, const ReadUntil& until) {
    return read_port_impl(port_name, buf, size, timeout_ms, &until);
}

int read_waiting(const char* port_name, void* buf, int size) {
    return read_port_impl(port_name, buf, size, NO_WAIT, nullptr);
}

int write_port(const char* port_name, const void* buf, int count) {
    if (port_name == nullptr) {
        std::printf("write_port: Error: invalid param file port\n");
        return WRITE_PORT_NO_NAME;
    }
    if (buf == nullptr) {
        std::printf("write_port: Error: invalid param buf ptr\n");
        return WRITE_PORT_NO_BUFFER;
    }
    if (count <= 0) {
        std::printf("write_port: Error: invalid param len: %d\n", count);
        return WRITE_PORT_BAD_COUNT;
    }
    // The write waits for its bytes' line time: the base write time-outs,
    // whole milliseconds per byte, round to nothing above 20000 baud.
    CommTimeouts t = g_have_applied ? g_applied : g_base_timeouts;
    t.write_total_multiplier = 0;
    t.write_total_constant = write_timeout_ms(g_rate, static_cast<std::size_t>(count));
    if (!apply_timeouts(t)) {
        std::printf("\a\aError: could not set the comm timeouts for port %s: %s\n", port_name, system_error_text());
        return WRITE_PORT_FAILED;
    }
    std::size_t written = 0;
    bool ok = serial_driver().write(static_cast<const uint8_t*>(buf), static_cast<std::size_t>(count), written);
    if (!ok || written != static_cast<std::size_t>(count)) {
        // A short write loses bytes: it is a failure, not a success.
        std::printf("\a\aError: wrote %d of %d, got error on port %s: %s\n", static_cast<int>(written), count,
                    port_name, ok ? "write timed out" : system_error_text());
        return WRITE_PORT_FAILED;
    }
    return count;
}

bool keep_nul_bytes(const char* port_name) {
    SerialDriver& drv = serial_driver();
    LineSettings line{};
    bool set = drv.get_line_settings(line);
    if (set) {
        line.discard_null = false;
        set = drv.set_line_settings(line);
    }
    if (!set) {
        std::printf("\a\aError: could not set the comm state for port %s: %s\n", port_name, system_error_text());
        return false;
    }
    return true;
}

void purge_port() { serial_driver().purge(); }

void close_port() { serial_driver().close(); }
