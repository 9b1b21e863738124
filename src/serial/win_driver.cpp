// The serial driver for Windows: a COM port through the serial communications
// calls of kernel32.
#include <windows.h>

#include "process/interrupt.hpp"
#include "serial/com_port_advice.hpp"
#include "serial/port_list.hpp"
#include "serial/provider_check.hpp"
#include "serial/serial_driver.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr ULONGLONG CANCEL_SLICE_MS = 100;

// The line settings' values and the DCB's.
BYTE dcb_parity(Parity p) {
    switch (p) {
    case Parity::none: return NOPARITY;
    case Parity::odd: return ODDPARITY;
    case Parity::even: return EVENPARITY;
    case Parity::mark: return MARKPARITY;
    case Parity::space: return SPACEPARITY;
    }
    return NOPARITY;
}

BYTE dcb_stop_bits(StopBits b) {
    switch (b) {
    case StopBits::one: return ONESTOPBIT;
    case StopBits::one_and_a_half: return ONE5STOPBITS;
    case StopBits::two: return TWOSTOPBITS;
    }
    return ONESTOPBIT;
}

DWORD dcb_dtr_control(LineControl c) {
    switch (c) {
    case LineControl::disable: return DTR_CONTROL_DISABLE;
    case LineControl::enable: return DTR_CONTROL_ENABLE;
    case LineControl::handshake:
    case LineControl::toggle: return DTR_CONTROL_HANDSHAKE;
    }
    return DTR_CONTROL_DISABLE;
}

DWORD dcb_rts_control(LineControl c) {
    switch (c) {
    case LineControl::disable: return RTS_CONTROL_DISABLE;
    case LineControl::enable: return RTS_CONTROL_ENABLE;
    case LineControl::handshake: return RTS_CONTROL_HANDSHAKE;
    case LineControl::toggle: return RTS_CONTROL_TOGGLE;
    }
    return RTS_CONTROL_DISABLE;
}

class WinDriver final : public SerialDriver {
public:
    ~WinDriver() override { close(); }

    bool open(const char* port_name, const LineSettings& line, const CommTimeouts& timeouts,
              OpenFailure& failure) override {
        close();
        // "\\.\COMn" also reaches ports numbered above 9.
        char path[20];
        std::snprintf(path, sizeof path, "\\\\.\\%s", port_name);
        handle_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        open_failed_ = handle_ == INVALID_HANDLE_VALUE;
        if (open_failed_) {
            fail();
            failure.step = OpenStep::open;
            return false;
        }
        // No line error of an earlier program may linger.
        DWORD errors = 0;
        ClearCommError(handle_, &errors, nullptr);
        const PropertiesReader query = [this](PropertiesQuery q, uint16_t length, CommProperties& props) {
            return get_properties(q, length, props);
        };
        if (!check_provider(query, failure)) return refuse(failure, failure.step);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb)) return fail_step(failure, OpenStep::get_state);
        set_dcb(dcb, line);
        if (!SetCommState(handle_, &dcb)) return fail_step(failure, OpenStep::set_state);
        discard_null_ = line.discard_null;
        timeouts_ = timeouts;
        if (!apply(timeouts)) return refuse(failure, OpenStep::timeouts);
        return true;
    }

    bool set_timeouts(const CommTimeouts& t, bool discard_null) override {
        if (discard_null != discard_null_) {
            // Every field but fNull keeps what the port holds now.
            DCB dcb{};
            dcb.DCBlength = sizeof dcb;
            if (!GetCommState(handle_, &dcb)) return fail();
            dcb.fNull = discard_null;
            if (!SetCommState(handle_, &dcb)) return fail();
            discard_null_ = discard_null;
        }
        timeouts_ = t;
        return apply(t);
    }

    bool read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) override;

    bool write(const uint8_t* buf, std::size_t size, std::size_t& written) override {
        DWORD n = 0;
        BOOL ok = WriteFile(handle_, buf, static_cast<DWORD>(size), &n, nullptr);
        written = n;
        if (!ok) return fail();
        return true;
    }

    void purge() override { PurgeComm(handle_, PURGE_TXCLEAR | PURGE_RXCLEAR); }

    void close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    uint32_t last_error() override { return error_; }

    std::string error_text(uint32_t code) override {
        char text[1024];
        DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0x0400,
                                 text, sizeof text, nullptr);
        // The system's text ends in CR LF; the messages add their own line end.
        while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r')) --n;
        std::string message(text, n);
        // The open itself failed, and the operator can mend some
        // of its causes.
        if (open_failed_) {
            std::vector<std::string> present;
            if (code == WINDOWS_ERROR_FILE_NOT_FOUND) {
                for (const PortEntry& port : list_serial_ports()) present.push_back(port.name);
            }
            message += com_open_advice(code, present);
        }
        return message;
    }

private:
    bool fail() {
        error_ = GetLastError();
        return false;
    }
    // Closes the port after a failed step of the open (its error kept).
    bool refuse(OpenFailure& failure, OpenStep step) {
        failure.step = step;
        close();
        return false;
    }
    bool fail_step(OpenFailure& failure, OpenStep step) {
        fail();
        return refuse(failure, step);
    }
    // Queries the provider's properties with a record of the given length.
    bool get_properties(PropertiesQuery query, uint16_t packet_length, CommProperties& props) {
        // Providers write a whole COMMPROP whatever the length field says, and
        // some report a length smaller than the record: never hand them a
        // buffer shorter than COMMPROP.
        std::vector<unsigned char> buffer(std::max<std::size_t>(packet_length, sizeof(COMMPROP)), 0);
        auto* cp = reinterpret_cast<COMMPROP*>(buffer.data());
        cp->wPacketLength = packet_length;
        // The first query learns the provider's length; the second asks for
        // the whole record.
        if (query == PropertiesQuery::full_record) cp->dwProvSpec1 = COMMPROP_INITIALIZED;
        if (!GetCommProperties(handle_, cp)) return fail();
        props.packet_length = cp->wPacketLength;
        props.settable_params = cp->dwSettableParams;
        props.settable_data = cp->wSettableData;
        props.settable_stop_parity = cp->wSettableStopParity;
        props.provider_capabilities = cp->dwProvCapabilities;
        return true;
    }
    // Changes the fields the line settings name; every other field keeps
    // what the port reported.
    static void set_dcb(DCB& dcb, const LineSettings& s) {
        dcb.BaudRate = s.baud_rate;
        dcb.ByteSize = s.byte_size;
        dcb.Parity = dcb_parity(s.parity);
        dcb.StopBits = dcb_stop_bits(s.stop_bits);
        dcb.fParity = s.parity_check;
        dcb.fOutxCtsFlow = s.outx_cts_flow;
        dcb.fOutxDsrFlow = s.outx_dsr_flow;
        dcb.fDtrControl = dcb_dtr_control(s.dtr_control);
        dcb.fOutX = s.outx;
        dcb.fInX = s.inx;
        dcb.fRtsControl = dcb_rts_control(s.rts_control);
        dcb.fNull = s.discard_null;
        dcb.fAbortOnError = s.abort_on_error;
        dcb.fDsrSensitivity = s.dsr_sensitivity;
        dcb.fErrorChar = s.error_char;
    }
    bool apply(const CommTimeouts& t) {
        COMMTIMEOUTS ct{};
        ct.ReadIntervalTimeout = t.read_interval;
        ct.ReadTotalTimeoutMultiplier = t.read_total_multiplier;
        ct.ReadTotalTimeoutConstant = t.read_total_constant;
        ct.WriteTotalTimeoutMultiplier = t.write_total_multiplier;
        ct.WriteTotalTimeoutConstant = t.write_total_constant;
        if (!SetCommTimeouts(handle_, &ct)) return fail();
        return true;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool open_failed_ = false;  // the last open failed at CreateFileA itself
    bool discard_null_ = true;  // the fNull the port was last given
    DWORD error_ = 0;
    CommTimeouts timeouts_{};
};

bool WinDriver::read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) {
    got = 0;
    // The time-outs in force bound the whole read. A read that may end early
    // goes in pieces: the interval time-out ends each piece once the line has
    // been quiet for the settle time, and the reply is then looked at. While
    // NUL bytes are to be dropped they are dropped here as well, whatever the
    // port's driver does with fNull, and are never counted: a read that lost
    // some to them reads on for the rest against what is left of the whole
    // time-out. While they are to be kept (the transfers), every byte counts.
    // With the operator's Ctrl-C in the program's hands, no piece waits
    // longer than CANCEL_SLICE_MS, so that a cancelled command is seen soon.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeouts_.read_total_multiplier) * size +
                               timeouts_.read_total_constant;
    const bool cancellable = interrupt_handler_installed();
    CommTimeouts piece = timeouts_;
    if (until != nullptr) piece.read_interval = until->settle_ms;
    bool ok = true;
    // A read that does not wait (the interval at MAXDWORD, both totals 0)
    // returns at once with what has arrived: one call, never in pieces.
    const bool no_wait = timeouts_.read_interval == READ_NO_WAIT_INTERVAL && timeouts_.read_total_multiplier == 0 &&
                         timeouts_.read_total_constant == 0;
    bool pieces = !no_wait && (until != nullptr || cancellable);  // whether the time-outs in force were changed
    while (got < size) {
        if (cancellable && cancel_requested()) break;
        if (pieces) {
            ULONGLONG now = GetTickCount64();
            if (now >= deadline) break;
            const ULONGLONG left = deadline - now;
            piece.read_total_multiplier = 0;
            piece.read_total_constant = static_cast<DWORD>(cancellable ? std::min<ULONGLONG>(left, CANCEL_SLICE_MS) : left);
            if (!apply(piece)) {
                ok = false;
                break;
            }
        }
        const DWORD wanted = static_cast<DWORD>(size - got);
        DWORD n = 0;
        const BOOL read_ok = ReadFile(handle_, buf + got, wanted, &n, nullptr);
        uint8_t* const first = buf + got;
        got += discard_null_ ? static_cast<std::size_t>(std::remove(first, first + n, uint8_t{0}) - first)
                             : static_cast<std::size_t>(n);
        if (!read_ok) {
            ok = fail();
            break;
        }
        if (until != nullptr && n > 0 && until->complete(buf, got)) break;
        if (!pieces) {
            if (n < wanted) break;  // the whole time-out ended it
        } else if (n == 0 && !cancellable) {
            break;  // the whole time-out has passed
        }
        pieces = true;
    }
    if (pieces && !apply(timeouts_)) ok = false;
    return ok;
}

}  // namespace

std::unique_ptr<SerialDriver> make_platform_driver() { return std::make_unique<WinDriver>(); }
