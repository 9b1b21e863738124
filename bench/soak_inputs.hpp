// The random inputs of a soak run, all drawn from the run's seed: the files
// the utility is given and the faults korrisim is told to inject.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "soak_models.hpp"

// The kinds of fault, the rows of the soak's table.
enum FaultKind : unsigned {
    NAK_BURST,
    CORRUPTED_BYTES,
    STRAY_ANSWER,
    SILENCE,
    LATE_ANSWER,
    DROPPED_LINE,
    SURPLUS_BYTES,
    LINE_ERRORS,
    PACED_LINE,
    FAULT_KINDS
};
const char* fault_kind_name(unsigned kind);

using Rng = std::mt19937_64;

// A Configuration file and a Rules file that read without error.
std::string random_config_file(Rng& rng);
std::string random_rules_file(Rng& rng);

// An Intel HEX file of a few hundred data bytes in records of 1 to 128
// bytes, and its record lines in order.
std::string random_hex_file(Rng& rng, std::vector<HexLine>& records);

// The faults of a download of `packets` packets whose packet lengths are
// `lengths`: korrisim's options, and the kinds drawn (a bit per FaultKind).
struct DrawnFaults {
    std::vector<std::string> options;
    unsigned kinds = 0;
};
DrawnFaults random_download_faults(Rng& rng, const std::vector<int>& lengths, DownloadFaultPlan& plan);
DrawnFaults random_loader_faults(Rng& rng, const std::vector<HexLine>& records, LoaderFaultPlan& plan);

// The packet lengths of a download with `rule_bytes` of rules.
std::vector<int> download_packet_lengths(std::size_t rule_bytes);
