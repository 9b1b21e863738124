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

// Record lines are counted from 1 as the loader counts them: the line it
// expects next is the one after the last it accepted, so a line sent again
// after the loader took it counts as the next one.
struct LoaderFaults {
    std::vector<uint8_t> prompt{0x05};              // sent at power-on (ENQ by default)
    std::map<int, std::deque<uint8_t>> errors;      // record line -> answers given instead of checking it
    std::map<int, SlowAnswers> slow;                // record line (0: every one) -> late answers
    std::map<int, int> corrupt;                     // record line -> transmissions that arrive damaged
    std::map<int, std::deque<uint8_t>> stray;       // record line -> bytes that replace the loader's answer
    std::map<int, int> silent;                      // record line -> transmissions heard but not answered
    std::map<int, int> doubled;                     // record line (0: the identification) -> answered twice
    std::map<int, int> early;                       // record line -> answered before it arrives (once)
    std::map<int, long> noise;                      // record line -> ms of noise after its first answer
    int drop_line = 0;                              // the line goes dead during this record line (0: never)
    long drop_after = 3;                            // after this many of its bytes
    long rx_rate = 0;                               // models the host's bytes at this rate (0: as they come)
};

// Reads --loader-prompt, --loader-errors, --loader-slow, --loader-corrupt,
// --loader-stray, --loader-silent, --loader-double, --loader-early,
// --loader-noise, --loader-drop and --loader-rx-rate.
// Returns false, with the reason in `error`, when one of them is malformed.
bool parse_loader_faults(const SimOptions& options, LoaderFaults& faults, std::string& error);
