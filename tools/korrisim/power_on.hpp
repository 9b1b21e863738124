// What the simulated device does when it is switched on. The whole device
// (the default) starts in its firmware loader: the loader sends its prompt,
// ENQ, and listens a short window for the host's sync character; when the
// sync comes it takes a firmware update, else the console starts. The other
// modes are one half of the device alone: the console without the loader's
// window, or the loader waiting for the sync without limit.
#pragma once

#include "sim_line.hpp"

enum class PowerOnMode { device, console, loader };

// Reads --mode (device, console, loader); false when it names none of them.
bool parse_power_on_mode(const SimOptions& options, PowerOnMode& mode);

enum class PowerOnOutcome {
    console,     // the console is to start and send its power-on text
    loader_ran,  // the loader ran (or the host went): the device waits for a power cycle
};

// Runs the start of a power-on on the line.
PowerOnOutcome run_power_on(SimLine& line, const SimOptions& options);

// The loader's window of the whole device, in milliseconds (--loader-window).
long loader_window_ms(const SimOptions& options);

// The option lines of the power-on, for the usage text.
const char* power_on_usage();
