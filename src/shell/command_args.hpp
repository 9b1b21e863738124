// The arguments the command handlers share: port numbers and rates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/commands.hpp"

class Sink;

// Port number 1..20 from a com_port token ("3", "COM3", "com3", "Com3x"), or
// 0 when the token is no valid port. Prints nothing.
int parse_com_port(const char* token);

// parse_com_port, with the invalid-port message on `out` when the token is none.
int com_port_argument(Sink& out, const char* token);

// The port a command names, as the serial operations take it, into `name`:
// "COM%d" of a port number, or on POSIX systems a token that begins with '/'
// as it is (a device path). False, after the invalid-port message, when the
// token is neither.
bool port_argument(Sink& out, const char* token, char* name, std::size_t size);

// True when the rate is one that connect and baud accept; otherwise prints
// the invalid-rate message.
bool device_rate_argument(Sink& out, int32_t rate);

// The commands that read a file (configure, rules): takes the file name
// token, runs `process` on it and prints `failed` when it returns non-zero.
CommandOutcome file_command(ShellState& shell, char* args, int (*process)(ShellState& shell, const char* file_name),
                            const char* failed);
