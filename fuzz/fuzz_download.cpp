// The download against a hostile line: the `download` command runs over the
// in-memory link on its virtual clock, and the fuzzer's bytes decide, for
// every packet the host transmits, what the line and the device do with it:
// the packet arrives intact, damaged or not at all; the device takes it and
// answers ACK, refuses it with NAK, or answers some other byte; the answer
// comes late, is lost, arrives twice, has a stray byte ahead of it or noise
// after it. The first input byte sets the rule count (0 to 3).
//
// The device takes every intact packet it answers ACK, and cannot tell a
// packet sent again from a new one (the protocol has no sequence numbers):
// so the download has succeeded only when the device took exactly the
// packets of the download, each once, in order. What must hold:
// - success only then (unless an answer came later than a host can tell it
//   apart, or a stray byte stood in for a lost one), and every clean
//   exchange (no fault at all) succeeds;
// - a failure prints the command's failure line and returns failed;
// - either way the port is closed and the shell disconnected;
// - no packet goes out more than five times in a row;
// - the virtual time stays within the bound below.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "station/config_record.hpp"
#include "download/packet.hpp"
#include "station/rule_record.hpp"
#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"
#include "station/station.hpp"
#include "support/fuzz_check.hpp"
#include "support/fuzz_script.hpp"
#include "support/hostile_line.hpp"
#include "support/memory_link.hpp"

namespace {

// The longest one transmission may take, from its write to the next one:
// the wait for its answer (5 s), and the waits the attribution of answers
// adds (a late answer's wait, the quiet before the next transmission or
// before success). Generous on purpose; lower it to the protocol's own bound.
constexpr int64_t TRANSMISSION_BOUND_MS = 5000 + 5000 + 1000;
// What the download costs besides its transmissions: the drain before the
// first packet and the writing of the command word.
constexpr int64_t DOWNLOAD_FIXED_MS = 2000;
// The latest an answer may come and still be told apart from a later one:
// the answer wait.
constexpr int64_t ANSWER_BOUND_MS = 5000;
constexpr int MAX_TRANSMISSIONS = 5;
constexpr int64_t USUAL_ANSWER_MS = 2;
constexpr int32_t RATE = 57600;

const char DOWNLOAD_WORD[] = "download\r\n";

// The CRC of the download, computed plainly: polynomial 0x1021 from 0x1D0F
// over the packet up to its CRC field, most significant bit first.
uint16_t plain_crc(const std::vector<uint8_t>& bytes, std::size_t count) {
    uint16_t reg = 0x1D0F;
    for (std::size_t i = 0; i < count; ++i) {
        reg = static_cast<uint16_t>(reg ^ (bytes[i] << 8));
        for (int bit = 0; bit < 8; ++bit) {
            reg = static_cast<uint16_t>((reg & 0x8000) != 0 ? (reg << 1) ^ 0x1021 : reg << 1);
        }
    }
    return reg;
}

std::vector<uint8_t> framed(const std::vector<uint8_t>& payload) {
    const std::size_t len = payload.size() + 4;
    std::vector<uint8_t> packet{static_cast<uint8_t>(len >> 8), static_cast<uint8_t>(len & 0xFF)};
    packet.insert(packet.end(), payload.begin(), payload.end());
    const uint16_t crc = plain_crc(packet, packet.size());
    packet.push_back(static_cast<uint8_t>(crc >> 8));
    packet.push_back(static_cast<uint8_t>(crc & 0xFF));
    return packet;
}

std::vector<uint8_t> command(const char* name, const std::string& size) {
    std::vector<uint8_t> payload(17, 0);
    std::memcpy(payload.data(), name, std::strlen(name));
    std::memcpy(payload.data() + 12, size.data(), size.size());
    return framed(payload);
}

void add_data(std::vector<std::vector<uint8_t>>& packets, const uint8_t* bytes, std::size_t count) {
    for (std::size_t at = 0; at < count; at += 60) {
        const std::size_t n = count - at < 60 ? count - at : 60;
        packets.push_back(framed(std::vector<uint8_t>(bytes + at, bytes + at + n)));
    }
}

// The packets of a download of the station's images, in order.
std::vector<std::vector<uint8_t>> expected_packets(const Station& station) {
    std::vector<std::vector<uint8_t>> packets;
    packets.push_back(command("conf", "166"));
    add_data(packets, reinterpret_cast<const uint8_t*>(&station.config), sizeof station.config);
    const std::size_t rule_bytes = station.config.rule_count * sizeof(RuleRecord);
    packets.push_back(command("rules", std::to_string(rule_bytes)));
    add_data(packets, reinterpret_cast<const uint8_t*>(station.rule_table.slot), rule_bytes);
    packets.push_back(command("-cestfini-", ""));
    return packets;
}

class DownloadDevice final : public MemoryDevice {
public:
    FuzzScript* script = nullptr;
    std::vector<std::vector<uint8_t>> taken;  // the packets the device took, in order
    int words = 0;                            // command words received
    bool clean = true;                        // no fault of the line or the device so far
    bool attributable = true;                 // every answer within what a host can attribute
    int64_t stream_ms = 0;                    // how long the line sent noise
    int transmissions = 0;
    int longest_run = 0;                      // the most transmissions of one packet in a row

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        std::vector<uint8_t> bytes(data, data + count);
        if (std::string_view(reinterpret_cast<const char*>(data), count) == DOWNLOAD_WORD) {
            ++words;
            return;
        }
        ++transmissions;
        run_ = bytes == last_ ? run_ + 1 : 1;
        last_ = bytes;
        if (run_ > longest_run) longest_run = run_;
        // What the line and the device do: 0-3 taken and ACK, 4 NAK, 5
        // damaged on the way (the device answers NAK), 6 lost on the way, 7
        // another answer byte.
        const unsigned action = script->pick(8, 0);
        uint8_t answer = DWN_ACK;
        bool answers = true;
        switch (action) {
        case 4:
        case 5: answer = DWN_NAK; break;
        case 6: answers = false; break;
        case 7: answer = script->byte(0x41); break;
        default:
            // A sound device refuses a packet whose length or CRC is wrong.
            if (!well_formed(bytes)) answer = DWN_NAK;
            break;
        }
        if (answers && answer == DWN_ACK) taken.push_back(bytes);
        const AnswerFate fate = read_answer_fate(*script, USUAL_ANSWER_MS);
        if (action > 3 || !fate.clean(USUAL_ANSWER_MS)) clean = false;
        if (answers && !fate.attributable(ANSWER_BOUND_MS, "\x06\x15")) attributable = false;
        if (answers) stream_ms += send_answer(link, std::vector<uint8_t>{answer}, fate);
    }

private:
    static bool well_formed(const std::vector<uint8_t>& p) {
        if (p.size() < 5 || ((p[0] << 8) | p[1]) != static_cast<int>(p.size())) return false;
        const uint16_t crc = plain_crc(p, p.size() - 2);
        return p[p.size() - 2] == (crc >> 8) && p[p.size() - 1] == (crc & 0xFF);
    }
    std::vector<uint8_t> last_;
    int run_ = 0;
};

// Distinct bytes in every slot, so that no two data packets are alike.
void fill_images(Station& station, int rules) {
    auto* bytes = reinterpret_cast<uint8_t*>(station.rule_table.slot);
    for (std::size_t i = 0; i < static_cast<std::size_t>(rules) * sizeof(RuleRecord); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    station.config.rule_count = static_cast<uint16_t>(rules);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The packet builder above against the command packets as the device
    // knows them.
    const std::vector<uint8_t> conf = command("conf", "166");
    const std::vector<uint8_t> finish = command("-cestfini-", "");
    const uint8_t conf_bytes[] = {0x00, 0x15, 0x63, 0x6F, 0x6E, 0x66, 0, 0, 0, 0, 0, 0, 0, 0, 0x31, 0x36, 0x36,
                                  0,    0,    0x22, 0x58};
    const uint8_t finish_bytes[] = {0x00, 0x15, 0x2D, 0x63, 0x65, 0x73, 0x74, 0x66, 0x69, 0x6E, 0x69,
                                    0x2D, 0,    0,    0,    0,    0,    0,    0,    0x5D, 0xCF};
    FUZZ_CHECK(conf == std::vector<uint8_t>(std::begin(conf_bytes), std::end(conf_bytes)), "");
    FUZZ_CHECK(finish == std::vector<uint8_t>(std::begin(finish_bytes), std::end(finish_bytes)), "");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzScript script(data, size);
    DownloadDevice device;  // declared before the shell, whose port holds it
    device.script = &script;
    clear_interrupts();
    ShellState shell;
    MemoryLink* link = use_memory_link(shell.port, &device);
    shell.port.set_read_failure([](SerialPort&, int, const char*) { check_failed("the fatal path was reached", ""); });
    fill_images(shell.station, static_cast<int>(script.byte(2) % 4));
    const std::vector<std::vector<uint8_t>> expected = expected_packets(shell.station);

    std::snprintf(shell.port_name, sizeof shell.port_name, "COM1");
    TargetOutput& capture = target_output();
    shell.out = &capture.sink();
    shell.port.set_out(capture.sink());
    capture.begin();
    FUZZ_CHECK(open_port(shell.port, shell.port_name, RATE) == 0, capture.end());
    shell.connected = 1;
    shell.station.config_processed = 1;
    shell.station.rules_processed = 1;
    // Stale bytes of the console, left from before the command.
    if (script.pick(2, 0) == 1) {
        link->device_send(std::vector<uint8_t>{script.byte(0), DWN_ACK}, 0);
        device.clean = false;
    }
    const int64_t start = link->now_ms();
    char args[] = "";
    const CommandOutcome outcome = cmd_download(shell, args);
    const std::string_view out = capture.end();
    const int64_t elapsed = link->now_ms() - start;

    FUZZ_CHECK(device.words == 1, out);
    FUZZ_CHECK(!link->is_open && shell.connected == 0, out);
    FUZZ_CHECK(out.find("Disconnected\n") != std::string_view::npos, out);
    FUZZ_CHECK(device.longest_run <= MAX_TRANSMISSIONS, out);
    FUZZ_CHECK(elapsed <= DOWNLOAD_FIXED_MS + device.transmissions * TRANSMISSION_BOUND_MS + device.stream_ms,
               out);
    const bool failed_line = out.find("\a\aError: Download failed: ") != std::string_view::npos;
    if (outcome == CommandOutcome::done) {
        FUZZ_CHECK(!failed_line, out);
        // Success: the device holds exactly the download, each packet once.
        if (device.attributable) {
            // Checked in steps, so that a finding says what went wrong.
            for (const auto& packet : expected) {
                const auto times = std::count(device.taken.begin(), device.taken.end(), packet);
                FUZZ_CHECK(times != 0 /* a packet the device never took */, out);
                FUZZ_CHECK(times == 1 /* a packet the device took twice */, out);
            }
            FUZZ_CHECK(device.taken == expected /* the device took them out of order */, out);
        }
    } else {
        FUZZ_CHECK(outcome == CommandOutcome::failed && failed_line, out);
        FUZZ_CHECK(!device.clean, out);
    }
    return 0;
}
