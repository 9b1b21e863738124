// What the firmware loader is told to do wrong, from korrisim's options.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "sim_line.hpp"

struct SlowAnswers {
    int count = 0;      // transmissions of the record line answered late
    long delay_ms = 0;  // how late
};

struct LoaderFaults {
    std::vector<uint8_t> prompt{0x05};              // sent at power-on (ENQ by default)
    std::map<int, std::deque<uint8_t>> errors;      // record line -> answers given instead of checking it
    std::map<int, SlowAnswers> slow;                // record line (0: every one) -> late answers
    long rx_rate = 0;                               // models the host's bytes at this rate (0: as they come)
};

// Reads --loader-prompt, --loader-errors, --loader-slow and --loader-rx-rate.
// Returns false, with the reason in `error`, when one of them is malformed.
bool parse_loader_faults(const SimOptions& options, LoaderFaults& faults, std::string& error);
