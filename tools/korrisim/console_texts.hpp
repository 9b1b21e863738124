// The texts the simulated console sends, built from the options.
#pragma once

#include <string>

#include "sim_line.hpp"

// The power-on text: identification word and "Version x.y" unless the
// options leave them out; at least 100 bytes with --long-banner.
std::string power_on_text(const SimOptions& options);

// The answer to ctrl-C at the given line rate (or the rate the options
// force).
std::string connected_text(const SimOptions& options, long rate);

inline constexpr char CONSOLE_PROMPT[] = "Korrim> ";

// What the console says some time after "Connected" with --after-connected.
inline constexpr char AFTER_CONNECTED_TEXT[] = "log: beacon sent\r\n";
