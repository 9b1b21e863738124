#include "soak_inputs.hpp"

#include <cstdio>

#include "download/packet.hpp"

namespace {

long draw(Rng& rng, long low, long high) { return std::uniform_int_distribution<long>(low, high)(rng); }
bool chance(Rng& rng, int percent) { return draw(rng, 0, 99) < percent; }
template <typename T, std::size_t N>
const T& pick(Rng& rng, const T (&items)[N]) {
    return items[static_cast<std::size_t>(draw(rng, 0, static_cast<long>(N) - 1))];
}

std::string call_sign(Rng& rng, int max_length) {
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const char any[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s(1, letters[draw(rng, 0, 25)]);
    const long n = draw(rng, 0, max_length - 1);
    for (long i = 0; i < n; ++i) s += any[draw(rng, 0, 35)];
    return s;
}

// An angle of at most `max_degrees` in the Colon or the Dotted notation.
std::string angle(Rng& rng, int max_degrees, bool may_be_negative) {
    const long degrees = draw(rng, 0, max_degrees - 1);
    const long minutes = draw(rng, 0, 59);
    const bool negative = may_be_negative && chance(rng, 50);
    char text[40];
    if (chance(rng, 60)) {
        std::snprintf(text, sizeof text, "%s%ld:%02ld:%02ld", negative ? "-" : "", degrees, minutes, draw(rng, 0, 59));
    } else {
        std::snprintf(text, sizeof text, "%s%ld.%02ld.%ld", negative ? "-" : "", degrees, minutes, draw(rng, 0, 99));
    }
    return text;
}

const char* yes_no(Rng& rng) {
    static const char* const words[] = {"yes", "no", "y", "n", "true", "false", "1", "0"};
    return pick(rng, words);
}

const char* comment(Rng& rng) {
    static const char* const texts[] = {"", "", "", "   # a comment", "\t; noted", " / more"};
    return pick(rng, texts);
}

std::string hex_record(unsigned ll, unsigned offset, unsigned type, const std::vector<uint8_t>& data, bool lower) {
    unsigned sum = ll + (offset >> 8) + (offset & 0xFF) + type;
    for (uint8_t b : data) sum += b;
    const char* format = lower ? "%02x" : "%02X";
    char pair[4];
    std::string line = ":";
    for (unsigned v : {ll, offset >> 8, offset & 0xFFu, type}) {
        std::snprintf(pair, sizeof pair, format, v & 0xFFu);
        line += pair;
    }
    for (uint8_t b : data) {
        std::snprintf(pair, sizeof pair, format, static_cast<unsigned>(b));
        line += pair;
    }
    std::snprintf(pair, sizeof pair, format, (0x100u - (sum & 0xFFu)) & 0xFFu);
    return line + pair;
}

// A kind of fault not drawn yet for this run.
unsigned draw_kind(Rng& rng, const std::vector<unsigned>& kinds, unsigned taken) {
    for (;;) {
        const unsigned k = kinds[static_cast<std::size_t>(draw(rng, 0, static_cast<long>(kinds.size()) - 1))];
        if ((taken & (1u << k)) == 0) return k;
    }
}

// How many faults a run gets: none for one run in ten, one for half of them,
// two or three (combined) for the rest.
int draw_fault_count(Rng& rng) {
    const long r = draw(rng, 0, 9);
    if (r == 0) return 0;
    if (r <= 5) return 1;
    return static_cast<int>(draw(rng, 2, 3));
}

std::string hex2(long value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02lx", value);
    return text;
}

}  // namespace

const char* fault_kind_name(unsigned kind) {
    static const char* const names[FAULT_KINDS] = {"NAK burst",    "corrupted bytes", "stray answer", "silence",
                                                   "late answer",  "dropped line",    "surplus bytes", "line errors",
                                                   "paced line"};
    return kind < FAULT_KINDS ? names[kind] : "?";
}

std::string random_config_file(Rng& rng) {
    static const long rates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    static const char* const switches[] = {"havegps", "log", "dropmangld", "haltonerr", "fixvalid", "nsr", "relaydrop"};
    static const char* const path_elements[] = {"WIDE1-1", "WIDE2-2", "WIDE3-3", "TRACE7-7", "RELAY", "ECHO", "GATE"};
    std::string text = chance(rng, 50) ? "# a station drawn by korri_soak\n" : "";
    auto line = [&](const std::string& body) {
        text += body + comment(rng) + "\n";
        if (chance(rng, 10)) text += "\n";
    };
    if (chance(rng, 80)) line("call " + call_sign(rng, 6));
    if (chance(rng, 50)) {
        const long ssid = draw(rng, 0, 15);
        char value[16];
        std::snprintf(value, sizeof value, chance(rng, 30) ? "0x%lx" : "%ld", ssid);
        line(std::string("ssid ") + value);
    }
    if (chance(rng, 70)) line("position " + angle(rng, 90, true) + " " + angle(rng, 180, true));
    for (const char* port : {"host", "gps", "tnc"}) {
        if (chance(rng, 40)) line(std::string(port) + " " + std::to_string(pick(rng, rates)));
    }
    if (chance(rng, 40)) line("widemax " + std::to_string(draw(rng, 1, 6)));
    if (chance(rng, 40)) line("widetotal " + std::to_string(draw(rng, 1, 6)));
    if (chance(rng, 40)) line("dupewin " + std::to_string(draw(rng, 5, 500)));
    if (chance(rng, 40)) line("beacon " + std::to_string(chance(rng, 20) ? 0 : draw(rng, 10, 65535)));
    if (chance(rng, 50)) {
        std::string path;
        const long n = draw(rng, 1, 8);
        for (long i = 0; i < n; ++i) path += (i > 0 ? "," : "") + std::string(pick(rng, path_elements));
        line("digipath " + path);
    }
    if (chance(rng, 50)) {
        std::string words;
        const long n = draw(rng, 1, 8);
        for (long i = 0; i < n; ++i) words += (i > 0 ? (chance(rng, 20) ? ", " : " ") : "") + call_sign(rng, 7);
        line("bcomment " + words);
    }
    for (const char* name : switches) {
        if (chance(rng, 30)) line(std::string(name) + " " + yes_no(rng));
    }
    if (chance(rng, 30)) line(std::string("nonaprs ") + (chance(rng, 50) ? "pass" : "no"));
    return text;
}

std::string random_rules_file(Rng& rng) {
    static const char* const actions[] = {"pass", "drop", "p", "d", "PASS", "Drop"};
    static const char* const directions[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    std::string text = chance(rng, 50) ? "# rules drawn by korri_soak\n" : "";
    const long r = draw(rng, 0, 9);
    long count = r == 0 ? 0 : r <= 5 ? draw(rng, 1, 10) : draw(rng, 11, 50);
    if (count > 0 && chance(rng, 30)) {
        text += std::string(chance(rng, 50) ? "drop" : "pass") + " implicit\n";
        --count;
    }
    for (long i = 0; i < count; ++i) {
        std::string rule = std::string(pick(rng, actions)) + " ";
        switch (draw(rng, 0, 5)) {
        case 0:
        case 1: {
            rule += chance(rng, 50) ? "source " : "destin ";
            const long form = draw(rng, 0, 4);
            if (form == 0) rule += call_sign(rng, 6);
            else if (form == 1) rule += call_sign(rng, 5) + "*";
            else if (form == 2) rule += "*";
            else if (form == 3) rule += call_sign(rng, 6) + "-" + std::to_string(draw(rng, 0, 15));
            else rule += "-" + std::to_string(draw(rng, 0, 15));
            break;
        }
        case 2: {
            char radius[32];
            std::snprintf(radius, sizeof radius, "%ld.%ld", draw(rng, 0, 400), draw(rng, 1, 9));
            rule += std::string("circle ") + radius + ", " + angle(rng, 90, true) + ", " + angle(rng, 180, true);
            break;
        }
        case 3:
            rule += std::string("compass ") + pick(rng, directions) + ", " + angle(rng, 90, true) + ", " +
                    angle(rng, 180, true);
            break;
        case 4:
            rule += "rectangle " + angle(rng, 90, true) + ", " + angle(rng, 180, true) + ", " + angle(rng, 90, true) +
                    ", " + angle(rng, 180, true);
            break;
        default: {
            const long inner = draw(rng, 0, 200);
            rule += "sector " + angle(rng, 360, false) + ", " + angle(rng, 360, false) + ", " + std::to_string(inner);
            if (chance(rng, 70)) rule += ", " + std::to_string(inner + draw(rng, 1, 300));
            break;
        }
        }
        text += rule + comment(rng) + "\n";
        if (chance(rng, 5)) text += "\n";
    }
    return text;
}

std::string random_hex_file(Rng& rng, std::vector<HexLine>& records) {
    const bool crlf = chance(rng, 30);
    const bool lower = chance(rng, 20);
    const char* end = crlf ? "\r\n" : "\n";
    std::string text;
    unsigned long file_line = 0;
    records.clear();
    auto add = [&](const std::string& line) {
        text += line + end;
        ++file_line;
        if (line[0] == ':') records.push_back({line, file_line});
    };
    if (chance(rng, 30)) add("# firmware drawn by korri_soak");
    const long base = draw(rng, 0, 9);
    if (base <= 2) add(hex_record(2, 0, 4, {0x00, 0x00}, lower));                          // linear base 0
    else if (base <= 4) add(hex_record(2, 0, 2, {0x00, static_cast<uint8_t>(draw(rng, 1, 0x40))}, lower));
    unsigned address = static_cast<unsigned>(draw(rng, 0, 16)) * 4;
    long total = 0;
    const long budget = draw(rng, 150, 700);
    while (total < budget) {
        const long r = draw(rng, 0, 9);
        const long size = r < 5 ? draw(rng, 1, 16) : r < 8 ? draw(rng, 17, 64) : draw(rng, 65, 128);
        std::vector<uint8_t> data(static_cast<std::size_t>(size));
        for (uint8_t& b : data) b = static_cast<uint8_t>(draw(rng, 0, 255));
        add(hex_record(static_cast<unsigned>(size), address, 0, data, lower));
        if (chance(rng, 10)) add("");
        total += size;
        address += static_cast<unsigned>((size + 3) / 4 * 4 + draw(rng, 0, 3) * 4);
    }
    if (chance(rng, 20)) add(hex_record(4, 0, 5, {0x00, 0x00, 0x01, 0x00}, lower));  // start address
    add(hex_record(0, 0, 1, {}, lower));
    return text;
}

std::vector<int> download_packet_lengths(std::size_t rule_bytes) {
    std::vector<int> lengths;
    for (const DownloadPacket& p : download_packets(rule_bytes)) lengths.push_back(p.length);
    return lengths;
}

DrawnFaults random_download_faults(Rng& rng, const std::vector<int>& lengths, DownloadFaultPlan& plan) {
    static const std::vector<unsigned> kinds = {NAK_BURST,   CORRUPTED_BYTES, STRAY_ANSWER, SILENCE,
                                                LATE_ANSWER, DROPPED_LINE,    SURPLUS_BYTES};
    DrawnFaults d;
    plan = {};
    const int count = draw_fault_count(rng);
    const long packets = static_cast<long>(lengths.size());
    for (int i = 0; i < count; ++i) {
        const unsigned kind = draw_kind(rng, kinds, d.kinds);
        d.kinds |= 1u << kind;
        const long n = draw(rng, 1, packets);
        const std::string at = std::to_string(n);
        switch (kind) {
        case NAK_BURST:
            plan.nak_packet = n;
            plan.nak_times = chance(rng, 80) ? draw(rng, 1, 4) : 5;
            d.options.push_back("--dl-nak=" + at + ":" + std::to_string(plan.nak_times));
            break;
        case CORRUPTED_BYTES:
            plan.corrupt_packet = n;
            plan.corrupt_times = chance(rng, 80) ? draw(rng, 1, 4) : 5;
            d.options.push_back("--dl-corrupt=" + at + ":" + std::to_string(plan.corrupt_times));
            break;
        case STRAY_ANSWER: {
            long byte = 0;
            if (!chance(rng, 10)) {
                do byte = draw(rng, 1, 255);
                while (byte == DWN_ACK || byte == DWN_NAK);
            }
            plan.stray_packet = n;
            plan.stray_byte = static_cast<uint8_t>(byte);
            d.options.push_back("--dl-stray=" + at + ":" + hex2(byte));
            break;
        }
        case SILENCE:
            plan.silent_packet = n;
            d.options.push_back("--dl-silent=" + at);
            break;
        case LATE_ANSWER:
            plan.late_packet = n;
            plan.late_ms = draw(rng, 0, DOWNLOAD_LATE_MAX_MS);
            d.options.push_back("--dl-late=" + at + ":" + std::to_string(plan.late_ms));
            break;
        case SURPLUS_BYTES:  // a doubled answer, an ACK before the packet, or a byte after the answer
            switch (draw(rng, 0, 2)) {
            case 0:
                plan.double_packet = n;
                d.options.push_back("--dl-double=" + at);
                break;
            case 1:
                plan.early_packet = n;
                d.options.push_back("--dl-early=" + at);
                break;
            default:
                plan.noise_packet = n;
                plan.noise_byte = static_cast<uint8_t>(draw(rng, 1, 255));
                d.options.push_back("--dl-noise=" + at + ":" + hex2(plan.noise_byte));
                break;
            }
            break;
        default:
            plan.drop_packet = n;
            plan.drop_after = draw(rng, 0, lengths[static_cast<std::size_t>(n - 1)] + 3);
            d.options.push_back("--dl-drop=" + at + ":" + std::to_string(plan.drop_after));
            break;
        }
    }
    if (chance(rng, 35)) {
        plan.pace = true;
        d.kinds |= 1u << PACED_LINE;
        d.options.push_back("--pace");
    }
    return d;
}

DrawnFaults random_loader_faults(Rng& rng, const std::vector<HexLine>& records, LoaderFaultPlan& plan) {
    static const std::vector<unsigned> kinds = {LINE_ERRORS, CORRUPTED_BYTES, STRAY_ANSWER,
                                                SILENCE,     LATE_ANSWER,     DROPPED_LINE};
    static const long resend_answers[] = {0x11, 0x12, 0x15};
    static const long abort_answers[] = {0x17, 0x18};
    DrawnFaults d;
    plan = {};
    const int count = draw_fault_count(rng);
    const long lines = static_cast<long>(records.size());
    for (int i = 0; i < count; ++i) {
        const unsigned kind = draw_kind(rng, kinds, d.kinds);
        d.kinds |= 1u << kind;
        const int n = static_cast<int>(draw(rng, 1, lines));
        const std::string at = std::to_string(n);
        switch (kind) {
        case LINE_ERRORS: {
            const long k = draw(rng, 1, 4);
            const long answer = chance(rng, 85) ? pick(rng, resend_answers) : pick(rng, abort_answers);
            plan.errors[n].assign(static_cast<std::size_t>(k), static_cast<uint8_t>(answer));
            d.options.push_back("--loader-errors=" + at + ":" + std::to_string(k) + ":" + hex2(answer));
            break;
        }
        case CORRUPTED_BYTES: {
            const long k = draw(rng, 1, 3);
            plan.corrupt[n] = static_cast<int>(k);
            d.options.push_back("--loader-corrupt=" + at + ":" + std::to_string(k));
            break;
        }
        case STRAY_ANSWER: {
            const long k = draw(rng, 1, 2);
            // Surplus bytes: the answer sent twice, or the line's ACK sent
            // with the answer before it.
            const long surplus = draw(rng, 0, 99);
            if (surplus < 20) {
                plan.doubled[n] = static_cast<int>(k);
                d.options.push_back("--loader-double=" + at + ":" + std::to_string(k));
                break;
            }
            if (surplus < 40) {
                plan.early[n] = 1;
                d.options.push_back("--loader-early=" + at);
                break;
            }
            long answer = 0;
            const long r = draw(rng, 0, 99);
            if (r < 15) answer = pick(rng, abort_answers);
            else if (r >= 25) {
                do answer = draw(rng, 1, 255);
                while (answer == 0x06);
            }
            plan.stray[n].assign(static_cast<std::size_t>(k), static_cast<uint8_t>(answer));
            d.options.push_back("--loader-stray=" + at + ":" + std::to_string(k) + ":" + hex2(answer));
            break;
        }
        case SILENCE: {
            const long k = draw(rng, 1, 3);
            plan.silent[n] = static_cast<int>(k);
            d.options.push_back("--loader-silent=" + at + ":" + std::to_string(k));
            break;
        }
        case LATE_ANSWER: {
            const long k = draw(rng, 1, 2);
            const long ms = chance(rng, 35) ? draw(rng, 10, LOADER_IN_TIME_MS)
                                            : draw(rng, LOADER_LATE_MIN_MS, LOADER_LATE_MAX_MS);
            plan.slow[n] = {static_cast<int>(k), ms};
            d.options.push_back("--loader-slow=" + at + ":" + std::to_string(k) + ":" + std::to_string(ms));
            break;
        }
        default:
            plan.drop_line = n;
            plan.drop_after = draw(rng, 0, static_cast<long>(records[static_cast<std::size_t>(n - 1)].text.size()) + 2);
            d.options.push_back("--loader-drop=" + at + ":" + std::to_string(plan.drop_after));
            break;
        }
    }
    if (chance(rng, 35)) {
        plan.pace = true;
        d.kinds |= 1u << PACED_LINE;
        d.options.push_back("--pace");
        d.options.push_back("--loader-rx-rate=19200");
    }
    return d;
}
