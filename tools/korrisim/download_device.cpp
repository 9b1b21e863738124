#include "download_device.hpp"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "download/crc16.hpp"

namespace {

// "N" or "N:M": a packet number and an optional second value.
bool parse_pair(const std::string& text, long& first, long& second, int second_base, std::string& error,
                const char* name) {
    try {
        std::size_t used = 0;
        first = std::stol(text, &used, 10);
        if (used < text.size()) {
            if (text[used] != ':') throw std::invalid_argument(text);
            std::size_t used2 = 0;
            const std::string rest = text.substr(used + 1);
            second = std::stol(rest, &used2, second_base);
            if (used2 != rest.size()) throw std::invalid_argument(text);
        }
    } catch (const std::exception&) {
        error = std::string("invalid --") + name + " value: " + text;
        return false;
    }
    if (first < 1) {
        error = std::string("--") + name + ": packets are counted from 1";
        return false;
    }
    return true;
}

}  // namespace

bool parse_download_settings(const SimOptions& options, DownloadSettings& s, std::string& error) {
    DownloadFaults& f = s.faults;
    long ignored = 0;
    long stray = f.stray_byte;
    if (options.has("dl-nak") && !parse_pair(options.get("dl-nak"), f.nak_packet, f.nak_times, 10, error, "dl-nak"))
        return false;
    if (options.has("dl-stray") && !parse_pair(options.get("dl-stray"), f.stray_packet, stray, 16, error, "dl-stray"))
        return false;
    if (stray < 0 || stray > 0xFF || stray == 0x06 || stray == 0x15) {
        error = "--dl-stray: the byte must be 00..FF and neither ACK (06) nor NAK (15)";
        return false;
    }
    f.stray_byte = static_cast<uint8_t>(stray);
    if (options.has("dl-silent") &&
        !parse_pair(options.get("dl-silent"), f.silent_packet, ignored, 10, error, "dl-silent"))
        return false;
    if (options.has("dl-corrupt") &&
        !parse_pair(options.get("dl-corrupt"), f.corrupt_packet, f.corrupt_times, 10, error, "dl-corrupt"))
        return false;
    if (options.has("dl-drop") && !parse_pair(options.get("dl-drop"), f.drop_packet, f.drop_after, 10, error, "dl-drop"))
        return false;
    if (options.has("dl-late") && !parse_pair(options.get("dl-late"), f.late_packet, f.late_ms, 10, error, "dl-late"))
        return false;
    long noise = f.noise_byte;
    if (options.has("dl-double") &&
        !parse_pair(options.get("dl-double"), f.double_packet, ignored, 10, error, "dl-double"))
        return false;
    if (options.has("dl-early") &&
        !parse_pair(options.get("dl-early"), f.early_packet, f.early_ms, 10, error, "dl-early"))
        return false;
    if (options.has("dl-noise") && !parse_pair(options.get("dl-noise"), f.noise_packet, noise, 16, error, "dl-noise"))
        return false;
    if (noise < 1 || noise > 0xFF) {
        error = "--dl-noise: the byte must be 01..FF (the host's port drops NUL bytes)";
        return false;
    }
    f.noise_byte = static_cast<uint8_t>(noise);
    if (f.late_ms < 0 || f.early_ms < 0) {
        error = "--dl-late, --dl-early: the delay cannot be negative";
        return false;
    }
    if (f.drop_after < 0) {
        error = "--dl-drop: the byte count cannot be negative";
        return false;
    }
    s.config_out = options.get("config-out");
    s.rules_out = options.get("rules-out");
    try {
        s.idle_ms = static_cast<int>(options.get_long("dl-idle-ms", s.idle_ms));
        s.byte_ms = static_cast<int>(options.get_long("dl-byte-ms", s.byte_ms));
    } catch (const std::exception&) {
        error = "invalid --dl-idle-ms or --dl-byte-ms value";
        return false;
    }
    s.trace = options.has("dl-trace");
    return true;
}

bool download_crc_ok(const std::vector<uint8_t>& packet) {
    return dwn_crc16(DWN_CRC_START, packet.data(), packet.size(), crc16_table.data()) == 0;
}

const char* DownloadDevice::stage_name(Stage stage) {
    switch (stage) {
    case Stage::conf_command: return "the conf command";
    case Stage::conf_data: return "configuration data";
    case Stage::rules_command: return "the rules command";
    case Stage::rules_data: return "rule data";
    case Stage::finish_command: return "the finishing command";
    case Stage::finished: return "nothing (finished)";
    }
    return "?";
}

bool DownloadDevice::take_command(const std::vector<uint8_t>& packet, const char* name, std::string& size_text,
                                  std::string& why) {
    if (packet.size() != static_cast<std::size_t>(DL_COMMAND_PACKET)) {
        why = "expected a 21-byte command packet, got " + std::to_string(packet.size()) + " bytes";
        return false;
    }
    // Name field: offsets 2..13, NUL padded; size field: offsets 14..18.
    const std::string field(reinterpret_cast<const char*>(packet.data() + 2), 12);
    const std::string got = field.substr(0, field.find('\0'));
    if (got != name) {
        why = "expected command \"" + std::string(name) + "\", got \"" + got + "\"";
        return false;
    }
    const std::string size_field(reinterpret_cast<const char*>(packet.data() + 14), 5);
    size_text = size_field.substr(0, size_field.find('\0'));
    for (std::size_t i = size_text.size(); i < size_field.size(); ++i) {
        if (size_field[i] != '\0') {
            why = "size field not NUL padded";
            return false;
        }
    }
    return true;
}

bool DownloadDevice::accept(const std::vector<uint8_t>& packet, std::string& why) {
    const std::size_t payload = packet.size() - 4;
    const uint8_t* data = packet.data() + 2;
    std::string size_text;
    switch (stage_) {
    case Stage::conf_command:
        if (!take_command(packet, "conf", size_text, why)) return false;
        if (size_text != "166") {
            why = "configuration size \"" + size_text + "\" is not 166";
            return false;
        }
        stage_ = Stage::conf_data;
        return true;
    case Stage::conf_data:
        if (config_.size() + payload > DL_CONFIG_BYTES) {
            why = "configuration data beyond 166 bytes";
            return false;
        }
        config_.insert(config_.end(), data, data + payload);
        if (config_.size() == DL_CONFIG_BYTES) stage_ = Stage::rules_command;
        return true;
    case Stage::rules_command: {
        if (!take_command(packet, "rules", size_text, why)) return false;
        std::size_t size = 0;
        bool digits = !size_text.empty() && (size_text == "0" || size_text[0] != '0');
        for (char c : size_text) digits = digits && c >= '0' && c <= '9';
        if (digits) size = std::stoul(size_text);
        if (!digits || size % DL_RULE_BYTES != 0 || size > DL_RULE_BYTES * DL_MAX_RULES) {
            why = "rules size \"" + size_text + "\" is not a whole number of up to 50 records";
            return false;
        }
        rules_size_ = size;
        stage_ = size == 0 ? Stage::finish_command : Stage::rules_data;
        return true;
    }
    case Stage::rules_data:
        if (rules_.size() + payload > rules_size_) {
            why = "rule data beyond the announced " + std::to_string(rules_size_) + " bytes";
            return false;
        }
        rules_.insert(rules_.end(), data, data + payload);
        if (rules_.size() == rules_size_) stage_ = Stage::finish_command;
        return true;
    case Stage::finish_command:
        if (!take_command(packet, "-cestfini-", size_text, why)) return false;
        if (!size_text.empty()) {
            why = "finishing packet with a size";
            return false;
        }
        stage_ = Stage::finished;
        return true;
    case Stage::finished:
        why = "packet after the finishing packet";
        return false;
    }
    return false;
}
