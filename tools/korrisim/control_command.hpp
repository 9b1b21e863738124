// The commands of korrisim's control channel, one per line:
//   on         power the device on
//   off        power it off (it goes silent and ignores the line)
//   cycle      off, then on
//   say TEXT   send TEXT to the host now; \r \n \t \\ and \xHH are escapes
//   settings   print the port's line settings on standard output
//   quit       end korrisim (the host sees the device vanish)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ControlKind { on, off, cycle, say, settings, quit, unknown };

struct ControlCommand {
    ControlKind kind;
    std::vector<uint8_t> bytes;  // for say
};

ControlCommand parse_control_command(const std::string& line);

// Decodes the escapes of `say` (and of the text options).
std::vector<uint8_t> unescape_text(const std::string& text);
