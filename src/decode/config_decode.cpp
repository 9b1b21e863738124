#include "decode/config_decode.hpp"

#include <cstring>
#include <string_view>

#include "decode/decimal_text.hpp"
#include "text/formatted.hpp"
#include "text/line_reader.hpp"

namespace {

constexpr std::size_t CALL_FIELD = sizeof(ConfigRecord::call_sign);
constexpr std::size_t CALL_MAX = 6;
constexpr std::size_t PATH_SLOT = 8;
constexpr std::size_t COMMENT_MAX = 43;

// A character a word argument of the file can hold once the parser has
// upper-cased it: no separator, no line end, no NUL, no lower-case letter.
bool word_char(char c) { return c != '\0' && c != '\n' && std::strchr("#/; \t,", c) == nullptr && !(c >= 'a' && c <= 'z'); }

// A character of the beacon comment: the text ends only at '#', '/', ';'
// and a tab.
bool text_char(char c) { return c != '\0' && c != '\n' && std::strchr("#/;\t", c) == nullptr; }

// A carriage return before the line end would be taken for part of it: a
// separator after the argument keeps it in.
std::string ended(std::string text, char separator) {
    if (!text.empty() && text.back() == '\r') text += separator;
    return text;
}

std::string field_text(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

// All bytes after the first NUL of the field are NUL, and so is its last.
bool nul_filled(const char* field, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i < size; ++i)
        if (field[i] != '\0') return false;
    return true;
}

class Writer {
public:
    Writer(std::vector<std::string>& problems) : problems_(problems) {}
    void line(const std::string& text) {
        if (text.size() > LINE_LENGTH_MAX) problem(formatted("a line of %lu characters is longer than a line can be",
                                                        static_cast<unsigned long>(text.size())));
        text_ += text + "\n";
    }
    void problem(const std::string& what) {
        problems_.push_back(what);
        notes_ += "# cannot be reproduced: " + printable(what) + "\n";
    }
    std::string text() const { return text_ + notes_; }

private:
    std::vector<std::string>& problems_;
    std::string text_;
    std::string notes_;
};

// The call lines: each writes its characters and one NUL, and the bytes
// after that NUL keep what stood there, from an earlier, longer call line
// or from the defaults. Worked from the last line back.
void call_lines(const ConfigRecord& c, Writer& w) {
    const char* t = c.call_sign;
    const char* d = default_config.call_sign;
    const std::size_t length = strnlen(t, CALL_FIELD);
    if (length == 0 || length > CALL_MAX || t[CALL_MAX] != '\0' || t[CALL_MAX + 1] != '\0') {
        w.problem("the call sign field \"" + field_text(t, CALL_FIELD) + "\" is not 1 to 6 characters and a NUL");
        return;
    }
    std::vector<std::size_t> lengths{length};
    std::size_t covered = length;
    while (covered < CALL_MAX && std::memcmp(t + covered + 1, d + covered + 1, CALL_FIELD - covered - 1) != 0) {
        std::size_t q = covered + 1;
        while (q < CALL_MAX && t[q] != '\0') ++q;
        lengths.push_back(q);
        covered = q;
    }
    for (std::size_t i = 0; i < covered; ++i) {
        if (t[i] != '\0' && !word_char(t[i])) {
            w.problem("the call sign field holds a character no call line gives: \"" + field_text(t, CALL_FIELD) + "\"");
            return;
        }
    }
    for (auto n = lengths.rbegin(); n != lengths.rend(); ++n) {
        std::string word;
        for (std::size_t i = 0; i < *n; ++i) word += t[i] != '\0' ? t[i] : 'X';
        w.line("call " + ended(word, ' '));
    }
}

void position_line(const ConfigRecord& c, Writer& w) {
    const std::string lat = angle_text(c.base_lat);
    const std::string lon = angle_text(c.base_lon);
    if (lat.empty() || !(c.base_lat >= -90 && c.base_lat <= 90))
        w.problem(formatted("the latitude %g lies off the Earth", static_cast<double>(c.base_lat)));
    else if (lon.empty() || !(c.base_lon >= -180 && c.base_lon <= 180))
        w.problem(formatted("the longitude %g lies off the Earth", static_cast<double>(c.base_lon)));
    else
        w.line("position " + lat + " " + lon);
}

void number_line(Writer& w, const char* keyword, unsigned value, unsigned low, unsigned high, bool zero_too = false) {
    if ((value < low || value > high) && !(zero_too && value == 0))
        w.problem(formatted("%s %u lies outside %u to %u", keyword, value, low, high));
    else
        w.line(formatted("%s %u", keyword, value));
}

void flag_line(Writer& w, const char* keyword, uint16_t flag) {
    if (flag > 1) w.problem(formatted("%s holds %u, neither 0 nor 1", keyword, static_cast<unsigned>(flag)));
    else w.line(std::string(keyword) + (flag != 0 ? " yes" : " no"));
}

void path_line(const ConfigRecord& c, Writer& w) {
    std::string path;
    bool ended_slots = false;
    for (const auto& slot : c.digi_path) {
        const std::size_t n = strnlen(slot, PATH_SLOT);
        if (n == 0) {
            if (!nul_filled(slot, PATH_SLOT, 0)) return w.problem("a digipeater path slot begins with a NUL");
            ended_slots = true;
            continue;
        }
        const std::string element(slot, n);
        if (ended_slots) return w.problem("a digipeater path element follows an empty slot");
        if (!nul_filled(slot, PATH_SLOT, n)) return w.problem("the digipeater path slot " + element + " has bytes after its NUL");
        for (char ch : element)
            if (!text_char(ch) || ch == ',' || ch == ' ' || (ch >= 'a' && ch <= 'z'))
                return w.problem("the digipeater path element \"" + element + "\" holds a character no path gives");
        path += (path.empty() ? "" : ",") + element;
    }
    if (!path.empty()) w.line("digipath " + ended(path, ' '));
}

void comment_line(const ConfigRecord& c, Writer& w) {
    const std::string text = field_text(c.beacon_comment, sizeof c.beacon_comment);
    if (text.size() > COMMENT_MAX || !nul_filled(c.beacon_comment, sizeof c.beacon_comment, text.size()))
        return w.problem("the beacon comment has bytes after its NUL or no NUL at its end");
    for (char ch : text)
        if (!text_char(ch)) return w.problem("the beacon comment \"" + text + "\" holds a '#', '/', ';' or tab");
    if (!text.empty()) w.line("bcomment " + ended(text, '\t'));
}

const char* yes_no(uint16_t flag) { return flag != 0 ? "Yes" : "No"; }

}  // namespace

std::string printable(const std::string& text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F) out += formatted("\\x%02X", c);
        else out += ch;
    }
    return out;
}

std::string config_call_sign(const ConfigRecord& config) { return field_text(config.call_sign, CALL_FIELD); }

std::string config_station(const ConfigRecord& config) {
    return config_call_sign(config) + "-" + std::to_string(config.ssid);
}

std::string decode_config(const ConfigRecord& c, const std::string& header, std::vector<std::string>& problems) {
    Writer w(problems);
    w.line("# " + header);
    call_lines(c, w);
    number_line(w, "ssid", c.ssid, 0, 15);
    position_line(c, w);
    number_line(w, "host", c.host_baud, 1, UINT32_MAX);
    number_line(w, "gps", c.gps_baud, 1, UINT32_MAX);
    number_line(w, "tnc", c.tnc_baud, 1, UINT32_MAX);
    number_line(w, "widemax", c.wide_max, 1, 6);
    number_line(w, "widetotal", c.wide_total, 1, 6);
    number_line(w, "dupewin", c.dupe_window, 5, 500);
    number_line(w, "beacon", c.beacon_interval, 10, 65535, true);
    flag_line(w, "havegps", c.have_gps);
    flag_line(w, "log", c.log_port);
    flag_line(w, "dropmangld", c.drop_mangled);
    flag_line(w, "haltonerr", c.halt_on_error);
    flag_line(w, "fixvalid", c.fix_valid);
    flag_line(w, "nsr", c.nsr);
    flag_line(w, "relaydrop", c.relay_drop);
    flag_line(w, "nonaprs", c.pass_nonaprs);
    path_line(c, w);
    comment_line(c, w);
    return w.text();
}

namespace {

// The text in double quotes, built by appending (g++ 12 at -O3 warns wrongly
// on "..." + std::string&&).
std::string in_quotes(const std::string& text) {
    std::string q(1, '"');
    q += text;
    q += '"';
    return q;
}

}  // namespace

std::vector<ConfigField> config_fields(const ConfigRecord& c) {
    std::string path;
    for (const auto& slot : c.digi_path) {
        const std::string element = field_text(slot, PATH_SLOT);
        if (!element.empty()) path += (path.empty() ? "" : ",") + element;
    }
    const char* implicit = c.implicit_action == IMPLICIT_DROP ? "Drop" : c.implicit_action == IMPLICIT_PASS ? "Pass" : "?";
    const auto number = [](unsigned v) { return std::to_string(v); };
    const auto degrees = [](float v) {
        const std::string t = angle_text(v);
        return t.empty() ? formatted("%g", static_cast<double>(v)) : t.substr(0, t.size() - 1);
    };
    return {
        {"Station Call", printable(config_call_sign(c))},
        {"SSID", number(c.ssid)},
        {"Base Lat", degrees(c.base_lat)},
        {"Lon", degrees(c.base_lon)},
        {"Host baud", number(c.host_baud)},
        {"GPS baud", number(c.gps_baud)},
        {"TNC baud", number(c.tnc_baud)},
        {"WIDE Max", number(c.wide_max)},
        {"WIDE Total", number(c.wide_total)},
        {"Dupe Window", number(c.dupe_window)},
        {"Beacon", number(c.beacon_interval)},
        {"NSR", c.nsr != 0 ? "Enabled" : "Disabled"},
        {"Relay Drop", c.relay_drop != 0 ? "Enabled" : "Disabled"},
        {"Digi Path", path.empty() ? "(none)" : printable(path)},
        {"Beacon Comment", in_quotes(printable(field_text(c.beacon_comment, sizeof c.beacon_comment)))},
        {"Log Port", yes_no(c.log_port)},
        {"Have GPS", yes_no(c.have_gps)},
        {"Fix Valid", yes_no(c.fix_valid)},
        {"Pass packets without valid position", yes_no(c.pass_nonaprs)},
        {"Halt On Error", yes_no(c.halt_on_error)},
        {"Drop Mangled Packet", yes_no(c.drop_mangled)},
        {"Rule count", number(c.rule_count)},
        {"Implicit Rule Action", implicit},
    };
}
