// Replacing the device's firmware through its loader: the file is verified
// first, then the port is opened at 19200, the loader's prompt is caught after
// power-on, the host synchronises and identifies itself, and the record lines
// are sent one at a time, each answered by one byte.
#pragma once

#include <cstddef>

#include <cstdint>
#include <functional>
#include <string>

#include "firmware/firmware_codes.hpp"
#include "text/sink.hpp"

class SerialPort;

inline constexpr int32_t FIRMWARE_BAUD = 19200;
inline constexpr uint8_t FIRM_ENQ = 0x05;        // the loader's prompt
inline constexpr uint8_t FIRM_ACK = 0x06;
inline constexpr uint8_t FIRMSYNC = 0x16;        // the sync character (SYN)
inline constexpr uint8_t FIRM_NO_START = 0x11;   // start character not received
inline constexpr uint8_t FIRM_BAD_CHECKSUM = 0x12;
inline constexpr uint8_t FIRM_VALIDATION = 0x15;
inline constexpr uint8_t FIRM_BUFFER_FULL = 0x17;
inline constexpr uint8_t FIRM_FATAL = 0x18;
inline constexpr char FIRMWARE_IDENT_NAME[] = "KorMat";
inline constexpr char FIRMWARE_IDENT[] = "KorMat1.0";  // 9 bytes, sent without terminator
inline constexpr int FIRMWARE_MAX_ERRORS = 10;

// Whole seconds, for the progress line. An update is given its clock; an
// empty one is the wall clock (tests give one on their virtual time).
using FirmwareClock = std::function<int64_t()>;
int64_t firmware_clock_now(const FirmwareClock& clock);

// The progress line for `done` of `total` record lines after `elapsed`
// seconds: CR, the times and the percentage, then the bar from position 21.
std::string firmware_progress_line(int64_t elapsed, long done, long total);
// Draws the progress line (no line feed) with the time elapsed on the clock
// since `start`.
void firmware_progress(int64_t start, long done, long total, const FirmwareClock& clock, Sink& out);

// How far an update got, for the journal of transfers.
struct FirmwareReport {
    bool sync_sent = false;      // the sync character was written
    unsigned long line = 0;      // the file line of the record line last sent, 0 before the first
    long records = 0;            // record lines acknowledged
    long total_records = 0;      // record lines in the file, once verified
};

// What the update waits for after its warning: the operator's Enter.
using OperatorWait = std::function<void()>;

// Updates the firmware of the device on the named port from the Intel HEX
// file. 0 on success, else a FIRMWARE_* code after its message. Whenever the
// port was opened it is closed again and "Disconnected" printed. Success
// means that every record line verified was sent and answered ACK for its own
// transmission; a file that cannot be read again (FIRMWARE_CANNOT_REREAD) or
// has changed since its check (FIRMWARE_FILE_CHANGED) ends the update, and so
// does any byte from the loader that is no answer to the line awaited
// (FIRMWARE_OUT_OF_STEP), even after the last line
// (FIRMWARE_ANSWERED_AFTER_END). A Ctrl-C (FIRMWARE_CANCELLED) cancels a
// wait; during the transfer of the record lines it takes a second press
// within GUARD_WINDOW_MS, after a warning. At a terminal a closing line tells
// what the transfer sent and how fast. The progress line is timed by `clock`;
// every message goes to `out`. With `report`, it tells how far the update got.
int firmware_update(SerialPort& port, const char* port_name, const char* file_name,
                    const OperatorWait& wait_for_operator, const FirmwareClock& clock, Sink& out,
                    FirmwareReport* report = nullptr);

// The update of the device on COM<port>, through `serial`: the port name is formed with
// "COM%d" into `port_name` (of `port_name_size` bytes), which the caller
// keeps; `wait_for_operator` reads the operator's Enter.
int firmware(SerialPort& serial, int port, const char* file_name, char* port_name, std::size_t port_name_size,
             const OperatorWait& wait_for_operator, const FirmwareClock& clock, Sink& out);
