// The device's download receiver without its line: what it makes of each
// complete packet, the images it assembles, and the faults it is told to
// inject.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim_line.hpp"

// Faults, each aimed at the n-th packet of the transfer (1 is the "conf"
// command, 2 to 4 the configuration, 5 the "rules" command, ...).
struct DownloadFaults {
    long nak_packet = 0;      // --dl-nak=N[:K]: answer NAK to the first K transmissions
    long nak_times = 1;
    long stray_packet = 0;    // --dl-stray=N[:BYTE]: answer BYTE (hex) instead
    uint8_t stray_byte = 0x41;
    long silent_packet = 0;   // --dl-silent=N: answer nothing
    long corrupt_packet = 0;  // --dl-corrupt=N[:K]: corrupt a byte of the first K transmissions
    long corrupt_times = 1;
    long drop_packet = 0;     // --dl-drop=N[:M]: the line drops after M bytes of the packet
    long drop_after = 3;
    long late_packet = 0;     // --dl-late=N[:MS]: every answer to it goes out MS ms late
    long late_ms = 1000;
    long double_packet = 0;   // --dl-double=N: every answer to it goes out twice
    long early_packet = 0;    // --dl-early=N[:MS]: an ACK goes out MS ms after the answer
    long early_ms = 0;        //   to packet N-1, before packet N has come
    long noise_packet = 0;    // --dl-noise=N[:XX]: the byte XX follows every answer to it
    uint8_t noise_byte = 0x41;
};

struct DownloadSettings {
    DownloadFaults faults;
    std::string config_out;   // --config-out=PATH
    std::string rules_out;    // --rules-out=PATH
    int idle_ms = 60000;      // --dl-idle-ms: wait for the next packet
    int byte_ms = 1000;       // --dl-byte-ms: wait for the next byte of a packet
    bool trace = false;       // --dl-trace: log every packet
};

// Reads the receiver's options; false (with `error` set) when one is malformed.
bool parse_download_settings(const SimOptions& options, DownloadSettings& settings, std::string& error);

inline constexpr int DL_MIN_PACKET = 5;
inline constexpr int DL_MAX_PACKET = 64;
inline constexpr int DL_COMMAND_PACKET = 21;
inline constexpr std::size_t DL_CONFIG_BYTES = 166;
inline constexpr std::size_t DL_RULE_BYTES = 28;
inline constexpr std::size_t DL_MAX_RULES = 50;

// The transfer as the device follows it: conf command, configuration data,
// rules command, rule data, finishing command.
class DownloadDevice {
public:
    enum class Stage { conf_command, conf_data, rules_command, rules_data, finish_command, finished };

    // Takes a packet whose length and CRC have been checked. True when it is
    // the packet expected next and has been taken; false (with `why`) when it
    // is refused and the state is unchanged.
    bool accept(const std::vector<uint8_t>& packet, std::string& why);

    Stage stage() const { return stage_; }
    const std::vector<uint8_t>& config_image() const { return config_; }
    const std::vector<uint8_t>& rules_image() const { return rules_; }
    std::size_t rules_announced() const { return rules_size_; }
    static const char* stage_name(Stage stage);

private:
    bool take_command(const std::vector<uint8_t>& packet, const char* name, std::string& size_text, std::string& why);

    Stage stage_ = Stage::conf_command;
    std::vector<uint8_t> config_;
    std::vector<uint8_t> rules_;
    std::size_t rules_size_ = 0;
};

// True when the packet's CRC, run over the whole packet, checks to zero.
bool download_crc_ok(const std::vector<uint8_t>& packet);
