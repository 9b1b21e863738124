// What a soak run should come to, worked out from its faults before it runs:
// the exact messages of the step under test, whether it ends in success, and
// the longest it may take. The device side follows korrisim's fault options
// (tools/korrisim), the host side the protocol of src/download and
// src/firmware with its time-outs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

// Download faults, one of each kind at most, as korrisim's --dl-* options
// take them; a packet number of 0 means none.
struct DownloadFaultPlan {
    long nak_packet = 0, nak_times = 1;
    long corrupt_packet = 0, corrupt_times = 1;
    long stray_packet = 0;
    uint8_t stray_byte = 0x41;
    long silent_packet = 0;
    long late_packet = 0, late_ms = 0;
    long drop_packet = 0, drop_after = 3;
    long double_packet = 0;   // --dl-double: every answer twice
    long early_packet = 0;    // --dl-early: an ACK with the answer to the packet before
    long noise_packet = 0;    // --dl-noise: a byte after every answer
    uint8_t noise_byte = 0x41;
    bool pace = false;
};

// Firmware loader faults, keyed by the record line as the loader counts it,
// as korrisim's --loader-* options take them.
struct LoaderFaultPlan {
    std::map<int, std::deque<uint8_t>> errors;   // --loader-errors: answers instead of a check
    std::map<int, int> corrupt;                  // --loader-corrupt: transmissions that arrive damaged
    std::map<int, std::deque<uint8_t>> stray;    // --loader-stray: bytes that replace the answer
    std::map<int, int> silent;                   // --loader-silent: transmissions not answered
    struct Slow {
        int count = 0;
        long delay_ms = 0;
    };
    std::map<int, Slow> slow;                    // --loader-slow
    std::map<int, int> doubled;                  // --loader-double: transmissions answered twice
    std::map<int, int> early;                    // --loader-early: ACK sent before the line
    int drop_line = 0;                           // --loader-drop
    long drop_after = 3;
    bool pace = false;                           // --pace --loader-rx-rate=19200
};

// A record line of the firmware file: its text and its line in the file.
struct HexLine {
    std::string text;
    unsigned long file_line = 0;
};

struct Expectation {
    bool success = false;
    // download: the step's whole output, from the command to the prompt;
    // firmware: the "Error: ..." lines in order, then the closing text.
    std::string text;
    std::vector<std::string> errors;
    double bound_ms = 0;  // the longest the step may take
    long exchanges = 0;   // packets or record lines sent, every transmission counted
    // An answer reaches the host so close to the end of one of its reads
    // that the outcome depends on scheduling: such a draw is not used.
    bool ambiguous = false;
};

// How far from the end of a read of the host an answer must arrive for the
// outcome to be certain.
inline constexpr double TIMING_MARGIN_MS = 30;

// How late the loader answers when it is slow: within its usual window, or
// past it up to twice its 2 s limit (beyond the limit the answer reaches the
// host after it has sent the line again).
inline constexpr long LOADER_IN_TIME_MS = 50;
inline constexpr long LOADER_LATE_MIN_MS = 120;
inline constexpr long LOADER_LATE_MAX_MS = 4000;
// Late download answers come up to twice the device's answer time late.
inline constexpr long DOWNLOAD_LATE_MAX_MS = 10000;

// The slack every step gets on top of its computed time: a fixed part and a
// part for each exchange (scheduling on a loaded machine).
inline constexpr double SLACK_FIXED_MS = 1500;
inline constexpr double SLACK_PER_EXCHANGE_MS = 10;

// The packets of a download in order: each one's length and the step it
// belongs to (the step's number is the one "Download failed: -%d" shows).
enum class DownloadStep { conf_command = 1, conf_data, rules_command, rules_data, finish };
struct DownloadPacket {
    int length;
    DownloadStep step;
};
std::vector<DownloadPacket> download_packets(std::size_t rule_bytes);

// The connect step at `rate` against the fault-free console.
double connect_bound_ms(long rate, bool pace);

// The download step: the questions asked first (a file not in force), the
// packets of a configuration and `rule_bytes` of rules at `rate`.
Expectation expect_download(const DownloadFaultPlan& faults, std::size_t rule_bytes, long rate, bool ask_config,
                            bool ask_rules);

// The firmware step from the command to the prompt, with the record lines
// of the file in order.
Expectation expect_firmware(const LoaderFaultPlan& faults, const std::vector<HexLine>& lines);
