// Where korrisim vanishes, as an unplugged device does: --vanish=handshake
// (when the attention character of the connect handshake arrives),
// --vanish=download:N (once packet N of a download has arrived, before it is
// answered) or --vanish=firmware:N (once record line N of a firmware update
// has arrived, before it is answered). The line then hangs up and korrisim
// ends.
#pragma once

#include <string>

#include "sim_line.hpp"

struct VanishPoint {
    enum class Where { never, handshake, download, firmware };
    Where where = Where::never;
    long number = 0;  // the packet or record line, from 1
};

// Reads --vanish; false when its value is malformed.
bool parse_vanish(const std::string& text, VanishPoint& point);

// The point the options name (never when none is given or it is malformed).
VanishPoint vanish_point(const SimOptions& options);
