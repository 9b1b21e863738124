// One download as the device receives it: reads length-prefixed packets,
// checks the length and the CRC, answers ACK or NAK, follows the transfer and,
// on the finishing packet, stores the two images and logs what the device now
// holds.
#include "download_session.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "download_device.hpp"
#include "download_summary.hpp"
#include "vanish.hpp"

namespace {

constexpr uint8_t ACK = 0x06;
constexpr uint8_t NAK = 0x15;
constexpr int QUIET_MS = 30;  // a line this quiet holds no more of a bad packet

enum class Got { packet, bad, closed, idle, dropped };

class Receiver {
public:
    Receiver(SimLine& line, const DownloadSettings& settings, VanishPoint vanish)
        : line_(line), s_(settings), vanish_(vanish) {}

    int run();

private:
    Got read_packet(std::vector<uint8_t>& packet, std::string& why);
    void drain_until_quiet();
    // The answer, with what the faults add after it, in one write so that
    // the bytes reach the host together.
    void answer(uint8_t byte) {
        const DownloadFaults& f = s_.faults;
        if (f.late_packet == number_) {
            sim_log("download: fault: answering packet %ld %ld ms late", number_, f.late_ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(f.late_ms));
        }
        std::vector<uint8_t> out{byte};
        if (f.double_packet == number_) {
            sim_log("download: fault: answering packet %ld twice", number_);
            out.push_back(byte);
        }
        if (f.noise_packet == number_) {
            sim_log("download: fault: 0x%02X after the answer to packet %ld", f.noise_byte, number_);
            out.push_back(f.noise_byte);
        }
        if (byte == ACK && f.early_packet == number_ + 1 && f.early_ms == 0) {
            sim_log("download: fault: ACK to packet %ld before it has come", number_ + 1);
            out.push_back(ACK);
        }
        line_.write(out.data(), out.size());
        ++bytes_said_;
    }
    // An ACK for the packet expected next before it has come, some time
    // after the answer to the one before it.
    void answer_early() {
        const DownloadFaults& f = s_.faults;
        if (f.early_packet != number_ || (f.early_ms == 0 && number_ > 1)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(f.early_ms));
        sim_log("download: fault: ACK to packet %ld before it has come", number_);
        const uint8_t ack = ACK;
        line_.write(&ack, 1);
    }
    bool store(const std::string& path, const std::vector<uint8_t>& bytes, const char* what);
    int wait_for_close();

    SimLine& line_;
    const DownloadSettings& s_;
    VanishPoint vanish_;
    DownloadDevice device_;
    long number_ = 1;        // the packet of the transfer expected next, from 1
    long transmission_ = 0;  // transmissions of it seen so far
    // What went over the line, for the figures logged at the end.
    std::size_t bytes_heard_ = 0;
    std::size_t bytes_said_ = 0;
    std::chrono::steady_clock::time_point first_byte_{};
};

Got Receiver::read_packet(std::vector<uint8_t>& packet, std::string& why) {
    packet.clear();
    const bool drop = s_.faults.drop_packet == number_ && transmission_ == 1;
    long drop_at = s_.faults.drop_after;  // never beyond the packet's last byte
    int b = line_.read_byte(s_.idle_ms);
    if (b == -2) return Got::closed;
    if (b < 0) return Got::idle;
    if (bytes_heard_ == 0) first_byte_ = std::chrono::steady_clock::now();
    for (;;) {
        if (drop && static_cast<long>(packet.size()) >= drop_at) return Got::dropped;
        ++bytes_heard_;
        packet.push_back(static_cast<uint8_t>(b));
        if (packet.size() >= 2) {
            const int length = (packet[0] << 8) | packet[1];
            if (packet.size() == 2) drop_at = std::min<long>(drop_at, length - 1);
            if (length < DL_MIN_PACKET || length > DL_MAX_PACKET) {
                why = "length field " + std::to_string(length) + " outside 5..64";
                drain_until_quiet();
                return Got::bad;
            }
            if (static_cast<int>(packet.size()) == length) return Got::packet;
        }
        b = line_.read_byte(s_.byte_ms);
        if (b == -2) return Got::closed;
        if (b < 0) {
            why = "packet cut short after " + std::to_string(packet.size()) + " bytes";
            return Got::bad;
        }
    }
}

void Receiver::drain_until_quiet() {
    int b;
    while ((b = line_.read_byte(QUIET_MS)) >= 0) {
    }
}

bool Receiver::store(const std::string& path, const std::vector<uint8_t>& bytes, const char* what) {
    if (path.empty()) return true;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr;
    if (ok && !bytes.empty()) ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f != nullptr) ok = std::fclose(f) == 0 && ok;
    if (ok) sim_log("download: stored the %s (%zu bytes) in %s", what, bytes.size(), path.c_str());
    else sim_log("download: could not store the %s in %s", what, path.c_str());
    return ok;
}

// After the line dropped: the device hears nothing more until the host lets go.
int Receiver::wait_for_close() {
    for (;;) {
        const int b = line_.read_byte(s_.idle_ms);
        if (b == -2) return 1;
        if (b == -1) {
            sim_log("download: nothing from the host for %d ms after the drop; giving up", s_.idle_ms);
            return 1;
        }
    }
}

int Receiver::run() {
    const DownloadFaults& f = s_.faults;
    std::vector<uint8_t> packet;
    std::string why;
    sim_log("download: receiver waiting for packets");
    answer_early();
    for (;;) {
        ++transmission_;
        const Got got = read_packet(packet, why);
        if (got == Got::closed) {
            sim_log("download: the host closed the line while %s was expected (packet %ld); transfer abandoned",
                    DownloadDevice::stage_name(device_.stage()), number_);
            return 1;
        }
        if (got == Got::idle) {
            sim_log("download: no packet for %d ms while %s was expected; transfer abandoned", s_.idle_ms,
                    DownloadDevice::stage_name(device_.stage()));
            return 1;
        }
        if (got == Got::dropped) {
            sim_log("download: fault: the line drops after %zu bytes of packet %ld", packet.size(), number_);
            return wait_for_close();
        }
        if (vanish_.where == VanishPoint::Where::download && vanish_.number == number_) {
            line_.vanish("after packet " + std::to_string(number_) + " of the download");
        }
        if (got == Got::bad) {
            sim_log("download: packet %ld: %s; NAK", number_, why.c_str());
            answer(NAK);
            continue;
        }
        if (f.corrupt_packet == number_ && transmission_ <= f.corrupt_times) {
            packet[packet.size() / 2] ^= 0x10;
            sim_log("download: fault: corrupting byte %zu of packet %ld (transmission %ld)", packet.size() / 2,
                    number_, transmission_);
        }
        if (!download_crc_ok(packet)) {
            sim_log("download: packet %ld (%zu bytes): CRC error; NAK", number_, packet.size());
            answer(NAK);
            continue;
        }
        if (f.silent_packet == number_) {
            sim_log("download: fault: no answer to packet %ld", number_);
            continue;
        }
        if (f.stray_packet == number_) {
            sim_log("download: fault: answering packet %ld with 0x%02X", number_, f.stray_byte);
            answer(f.stray_byte);
            continue;
        }
        if (f.nak_packet == number_ && transmission_ <= f.nak_times) {
            sim_log("download: fault: NAK to packet %ld (transmission %ld)", number_, transmission_);
            answer(NAK);
            continue;
        }
        if (!device_.accept(packet, why)) {
            sim_log("download: packet %ld refused: %s; NAK", number_, why.c_str());
            answer(NAK);
            continue;
        }
        if (s_.trace) sim_log("download: packet %ld (%zu bytes) accepted; ACK", number_, packet.size());
        if (device_.stage() == DownloadDevice::Stage::finished) break;
        answer(ACK);
        ++number_;
        transmission_ = 0;
        answer_early();
    }

    // The images are kept before the finishing packet is acknowledged, so
    // that the host's success means the device holds them.
    const auto& config = device_.config_image();
    const auto& rules = device_.rules_image();
    bool ok = store(s_.config_out, config, "configuration image");
    ok = store(s_.rules_out, rules, "rules image") && ok;
    answer(ACK);
    const double elapsed_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - first_byte_).count();
    sim_log("download: finished after %ld packets: configuration %zu bytes, rules %zu bytes", number_,
            config.size(), rules.size());
    sim_log("download: figures: %zu bytes heard, %zu answer bytes sent, %.3f ms from the first byte heard "
            "to the last answer",
            bytes_heard_, bytes_said_, elapsed_ms);
    sim_log("download: the device now holds:");
    for (const std::string& line : describe_device_images(config, rules)) sim_log("  %s", line.c_str());
    const unsigned count = config[56] | (config[57] << 8);
    if (count * DL_RULE_BYTES != rules.size())
        sim_log("download: warning: the configuration's rule count %u does not match the %zu records received", count,
                rules.size() / DL_RULE_BYTES);
    return ok ? 0 : 1;
}

}  // namespace

int run_download_session(SimLine& line, const SimOptions& options) {
    DownloadSettings settings;
    std::string error;
    if (!parse_download_settings(options, settings, error)) {
        sim_log("download: %s", error.c_str());
        return 1;
    }
    Receiver receiver(line, settings, vanish_point(options));
    return receiver.run();
}
