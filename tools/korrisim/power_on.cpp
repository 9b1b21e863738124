#include "power_on.hpp"

#include <chrono>
#include <string>

#include "firmware_faults.hpp"
#include "firmware_loader.hpp"
#include "sim_clock.hpp"

namespace {

// The host answers the loader's prompt with the sync character about 110 ms
// after the prompt has arrived (its read of up to three more bytes waits
// 100 ms); half a second leaves room for a loaded machine and stays short
// enough that a connect hardly notices the window.
constexpr long DEFAULT_WINDOW_MS = 500;

PowerOnMode mode_of(const SimOptions& options) {
    PowerOnMode mode = PowerOnMode::device;
    parse_power_on_mode(options, mode);
    return mode;
}

// The whole device's loader window: the prompt, then the sync character
// within the window. True when the sync came; `gone` when the host let go
// or the power went meanwhile.
bool sync_within_window(SimLine& line, const SimOptions& options, bool& gone) {
    LoaderFaults faults;
    std::string error;
    if (!parse_loader_faults(options, faults, error)) sim_log("loader: %s", error.c_str());
    if (!faults.prompt.empty()) line.write(faults.prompt.data(), faults.prompt.size());
    const long window = loader_window_ms(options);
    sim_log("power on: loader prompt of %zu bytes sent, listening %ld ms for the sync character",
            faults.prompt.size(), window);
    const auto end = SimClock::now() + std::chrono::milliseconds(window);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - SimClock::now()).count();
        if (left <= 0) return false;
        const int byte = line.read_byte(static_cast<int>(left));
        if (byte == -2) {
            gone = true;
            return false;
        }
        if (byte == -1) return false;
        if (byte == LOADER_SYN) return true;
        sim_log("power on: ignored 0x%02x in the loader's window", byte);
    }
}

}  // namespace

bool parse_power_on_mode(const SimOptions& options, PowerOnMode& mode) {
    const std::string name = options.get("mode", "device");
    if (name == "device") mode = PowerOnMode::device;
    else if (name == "console") mode = PowerOnMode::console;
    else if (name == "loader") mode = PowerOnMode::loader;
    else return false;
    return true;
}

long loader_window_ms(const SimOptions& options) { return options.get_long("loader-window", DEFAULT_WINDOW_MS); }

PowerOnOutcome run_power_on(SimLine& line, const SimOptions& options) {
    switch (mode_of(options)) {
    case PowerOnMode::console: return PowerOnOutcome::console;
    case PowerOnMode::loader: {
        sim_log("firmware loader started");
        const int rc = run_firmware_loader(line, options);
        sim_log("firmware loader ended: %d; waiting for a power cycle", rc);
        return PowerOnOutcome::loader_ran;
    }
    case PowerOnMode::device: break;
    }
    if (options.has("silent")) return PowerOnOutcome::console;  // a dead device: no loader either
    bool gone = false;
    if (sync_within_window(line, options, gone)) {
        sim_log("firmware loader started: sync within the window");
        const int rc = run_firmware_loader(line, options, true);
        sim_log("firmware loader ended: %d; waiting for a power cycle", rc);
        return PowerOnOutcome::loader_ran;
    }
    if (gone) {
        sim_log("power on: the host or the power went during the loader's window");
        return PowerOnOutcome::loader_ran;
    }
    sim_log("power on: no sync within the window; the console starts");
    return PowerOnOutcome::console;
}

const char* power_on_usage() {
    return "Power-on:\n"
           "  --mode=device        the whole device (the default): power-on starts the firmware\n"
           "                       loader, which sends ENQ and listens --loader-window ms for the\n"
           "                       host's sync character; without it the console starts\n"
           "  --mode=console       power-on starts the console at once (no loader window)\n"
           "  --mode=loader        power-on starts the firmware loader, which waits for the sync\n"
           "                       character without limit\n"
           "  --loader-window=MS   the loader's window of the whole device (500)\n";
}
