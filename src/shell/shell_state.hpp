// The shell's state: made once by main and handed down to the prompt loop,
// the command handlers and what they call. Nothing of it lives anywhere else.
#pragma once

#include <cstdint>
#include <string>

#include "serial/serial_port.hpp"
#include "shell/console.hpp"
#include "shell/terminal_warnings.hpp"
#include "station/station.hpp"
#include "text/sink.hpp"

struct ShellState {
    int32_t connected = 0;           // 1 while a device connection is established
    char port_name[256] = {};        // "COM%d" of the port in use, or a device path (POSIX)
    int32_t current_baud = 0;        // rate asked for by the last connect or baud
    Station station;                 // the images being prepared, and whether their files are in force
    char input_line[256] = {};       // the line being handled
    char previous_line[256] = {};    // the last line that was neither empty nor a repeat
    char firmware_file[256] = {};    // file name given to the last firmware command
    Sink* out = &standard_output();  // where the commands and what they call print
    SerialPort port{*out};           // the one port the commands work with, handed down to the protocols
    // The journal of transfers: its folder, empty when transfers are not recorded.
    std::string journal_dir;
    char device_version[16] = {};    // the firmware version the last connect read ("2.4"), or empty
    // The files in force as given, with the SHA-256 of their bytes when they were read.
    std::string config_file, config_file_sha256;
    std::string rules_file, rules_file_sha256;
    Console console;                 // where the lines come from, and how many were read
    TerminalWarnings warnings;       // what the checks at a terminal keep between commands
};
