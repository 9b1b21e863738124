#include "config/config_parser.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "angles/angles.hpp"
#include "config/config_keywords.hpp"
#include "station/config_record.hpp"
#include "serial/baud_table.hpp"
#include "station/station.hpp"
#include "text/hints.hpp"
#include "text/input_file.hpp"
#include "text/line_reader.hpp"
#include "text/numbers.hpp"
#include "text/sink.hpp"
#include "text/suggest.hpp"
#include "text/tokens.hpp"

namespace {

constexpr const char* KEYWORD_SEPARATORS = " \t,";
constexpr const char* WORD_ARGUMENT_SEPARATORS = "#/; \t,";
constexpr const char* LATITUDE_SEPARATORS = " \t,";
constexpr const char* TEXT_ARGUMENT_SEPARATORS = "#/;\t";
constexpr const char* PATH_ELEMENT_SEPARATORS = ", ";
constexpr std::size_t CALL_SIGN_MAX = 6;
constexpr int SSID_MAX = 15;
constexpr int WIDE_MAX = 6;
constexpr int BEACON_MIN = 10;
constexpr int BEACON_MAX = 65535;
constexpr std::size_t PATH_SLOTS = 8;
constexpr std::size_t PATH_ELEMENT_MAX = 8;
constexpr std::size_t COMMENT_MAX = 43;

// The line being handled: its number, the copy quoted by every message, and
// the cutting of its arguments.
struct Line {
    ConfigRecord& config;        // the record the file fills
    int32_t& digi_path_count;    // and the station's path count
    Sink& out;                   // where the messages go
    int number = 0;  // a file may have more lines than 16 bits can count
    char copy[LINE_BUFFER_SIZE] = {};
    ArgumentCursor args{};
};

// The next argument, or nullptr with `code` set when it is missing (-11) or
// stands only after a comment character (-8).
char* argument(Line& line, const char* separators, bool comment_test, int& code) {
    char* token = nullptr;
    switch (take_argument(line.args, separators, comment_test, token)) {
    case Argument::taken: return token;
    case Argument::missing: code = CONF_BAD_ARGUMENT; return nullptr;
    case Argument::in_comment: code = CONF_IN_COMMENT; return nullptr;
    }
    return nullptr;
}

// A yes/no switch: only the first character counts.
uint16_t switch_value(const char* text, bool pass_is_yes) {
    const char c = text[0];
    if (std::strchr("yY1tTeE", c) != nullptr) return 1;
    if (pass_is_yes && (c == 'p' || c == 'P')) return 1;
    return 0;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

uint16_t* flag_field(ConfigRecord& config, ConfigKind kind) {
    switch (kind) {
    case ConfigKind::have_gps: return &config.have_gps;
    case ConfigKind::log_port: return &config.log_port;
    case ConfigKind::drop_mangled: return &config.drop_mangled;
    case ConfigKind::halt_on_error: return &config.halt_on_error;
    case ConfigKind::fix_valid: return &config.fix_valid;
    case ConfigKind::nsr: return &config.nsr;
    case ConfigKind::relay_drop: return &config.relay_drop;
    case ConfigKind::pass_nonaprs: return &config.pass_nonaprs;
    default: return nullptr;
    }
}

uint32_t* baud_field(ConfigRecord& config, ConfigKind kind) {
    switch (kind) {
    case ConfigKind::host_baud: return &config.host_baud;
    case ConfigKind::tnc_baud: return &config.tnc_baud;
    case ConfigKind::gps_baud: return &config.gps_baud;
    default: return nullptr;
    }
}

int do_call_sign(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing Call Sign argument: %s\n", line.number, line.copy);
        return code;
    }
    const std::size_t n = std::strlen(arg);
    if (n > CALL_SIGN_MAX) {
        line.out.printf("\a\aError: line %d: invalid Call Sign argument: too long: %s\n", line.number, line.copy);
        return CONF_BAD_ARGUMENT;
    }
    // Upper-cased with one NUL; the bytes after it keep what stood there.
    for (std::size_t i = 0; i < n; ++i) config.call_sign[i] = upper(arg[i]);
    config.call_sign[n] = '\0';
    return 0;
}

int do_ssid(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing SSID argument: %s\n", line.number, line.copy);
        return code;
    }
    const int32_t v = parse_prefixed(arg);
    if (v < 0 || v > SSID_MAX) {
        line.out.printf("\a\aError: line %d: invalid SSID argument range [0..15]: %d: %s\n", line.number,
                        static_cast<int>(v), line.copy);
        return CONF_BAD_ARGUMENT;
    }
    config.ssid = static_cast<uint16_t>(v);
    return 0;
}

int do_position(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    const char* lat = argument(line, LATITUDE_SEPARATORS, false, code);
    if (lat == nullptr) {
        line.out.printf("\a\aError: line %d: missing Station Latitude argument: %s\n", line.number, line.copy);
        return code;
    }
    const double lat_deg = dmctodeg(lat, line.out);
    if (lat_deg == ANGLE_ERROR) {
        line.out.printf("\a\aError: line %d: invalid Station Latitude argument: %s: %s\n", line.number, lat,
                        line.copy);
        return CONF_BAD_ARGUMENT;
    }
    if (lat_deg < -90 || lat_deg > 90) {
        line.out.printf("\a\aError: line %d: invalid Station Latitude range [-90..90]: %f: %s\n", line.number, lat_deg,
                        line.copy);
        return CONF_BAD_LATITUDE;
    }
    config.base_lat = static_cast<float>(lat_deg);  // stored at once
    const char* lon = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (lon == nullptr) {
        line.out.printf("\a\aError: line %d: missing Station Longitude argument: %s\n", line.number, line.copy);
        return code;
    }
    const double lon_deg = dmctodeg(lon, line.out);
    if (lon_deg == ANGLE_ERROR) {
        line.out.printf("\a\aError: line %d: invalid Station Longitude argument: %s: %s\n", line.number, lon,
                        line.copy);
        return CONF_BAD_ARGUMENT;
    }
    if (lon_deg < -180 || lon_deg > 180) {
        line.out.printf("\a\aError: line %d: invalid Station Longitude range [-180..180]: %f: %s\n", line.number,
                        lon_deg, line.copy);
        return CONF_BAD_LONGITUDE;
    }
    config.base_lon = static_cast<float>(lon_deg);
    return 0;
}

int do_flag(Line& line, ConfigKind kind) {
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing y | n argument: %s\n", line.number, line.copy);
        return code;
    }
    *flag_field(line.config, kind) = switch_value(arg, kind == ConfigKind::pass_nonaprs);
    return 0;
}

int do_baud(Line& line, ConfigKind kind) {
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing Baud argument: %s\n", line.number, line.copy);
        return code;
    }
    const int32_t rate = parse_decimal(arg);
    if (get_baud(rate, line.out) == nullptr) {
        line.out.printf("\a\aError: line %d: invalid Baud argument: %d: %s\n", line.number, static_cast<int>(rate),
                        line.copy);
        return CONF_BAD_ARGUMENT;
    }
    *baud_field(line.config, kind) = static_cast<uint32_t>(rate);
    return 0;
}

int do_wide(Line& line, uint16_t& field) {
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing n argument: %s\n", line.number, line.copy);
        return code;
    }
    const int32_t n = parse_decimal(arg);
    if (n < 1 || n > WIDE_MAX) {
        line.out.printf("\a\aError: line %d: invalid n argument range [1..%d]: %d: %s\n", line.number, WIDE_MAX,
                        static_cast<int>(n), line.copy);
        return CONF_BAD_ARGUMENT;
    }
    field = static_cast<uint16_t>(n);
    return 0;
}

int do_dupe_window(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing seconds argument: %s\n", line.number, line.copy);
        return code;
    }
    const int32_t s = parse_decimal(arg);
    if (s < 5 || s > 500) {
        line.out.printf("\a\aError: line %d: invalid seconds argument range [5..500]: %d: %s\n", line.number,
                        static_cast<int>(s), line.copy);
        return CONF_BAD_ARGUMENT;
    }
    config.dupe_window = static_cast<uint16_t>(s);
    return 0;
}

int do_beacon_interval(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    const char* arg = argument(line, WORD_ARGUMENT_SEPARATORS, true, code);
    if (arg == nullptr) {
        line.out.printf("\a\aError: line %d: missing seconds argument: %s\n", line.number, line.copy);
        return code;
    }
    const int32_t s = parse_prefixed(arg);
    if (s != 0 && (s < BEACON_MIN || s > BEACON_MAX)) {
        line.out.printf("\a\aError: line %d: invalid seconds argument range [0, %d..%d]: %d: %s\n", line.number,
                        BEACON_MIN, BEACON_MAX, static_cast<int>(s), line.copy);
        return CONF_BAD_ARGUMENT;
    }
    config.beacon_interval = static_cast<uint16_t>(s);
    return 0;
}

int do_digi_path(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    char* text = argument(line, TEXT_ARGUMENT_SEPARATORS, true, code);
    if (text == nullptr) {
        line.out.printf("\a\aError: line %d: missing Digi Path argument: %s\n", line.number, line.copy);
        return code;
    }
    std::memset(config.digi_path, 0, sizeof config.digi_path);
    char* cursor = text;
    std::size_t stored = 0;
    while (stored < PATH_SLOTS) {
        const char* element = next_token(cursor, PATH_ELEMENT_SEPARATORS);
        if (element == nullptr) break;
        const std::size_t n = std::strlen(element);
        if (n > PATH_ELEMENT_MAX) {
            // the elements before this one stay stored; the count is kept
            line.out.printf("\a\aError: line %d: Digi Path[%d]: %s exceeds length %d: %s\n", line.number,
                            static_cast<int>(stored + 1), element, static_cast<int>(PATH_ELEMENT_MAX), line.copy);
            return CONF_BAD_ARGUMENT;
        }
        // An element of 8 characters fills its slot with no terminator.
        for (std::size_t i = 0; i < n; ++i) config.digi_path[stored][i] = upper(element[i]);
        ++stored;
    }
    line.digi_path_count = static_cast<int32_t>(stored);
    return 0;
}

int do_beacon_comment(Line& line) {
    ConfigRecord& config = line.config;
    int code = 0;
    const char* text = argument(line, TEXT_ARGUMENT_SEPARATORS, true, code);
    if (text == nullptr) {
        line.out.printf("\a\aError: line %d: missing Beacon Comment argument: %s\n", line.number, line.copy);
        return code;
    }
    std::memset(config.beacon_comment, 0, sizeof config.beacon_comment);
    std::strncpy(config.beacon_comment, text, COMMENT_MAX);
    return 0;
}

int handle_argument(Line& line, ConfigKind kind) {
    ConfigRecord& config = line.config;
    switch (kind) {
    case ConfigKind::call_sign: return do_call_sign(line);
    case ConfigKind::ssid: return do_ssid(line);
    case ConfigKind::position: return do_position(line);
    case ConfigKind::host_baud:
    case ConfigKind::tnc_baud:
    case ConfigKind::gps_baud: return do_baud(line, kind);
    case ConfigKind::wide_max: return do_wide(line, config.wide_max);
    case ConfigKind::wide_total: return do_wide(line, config.wide_total);
    case ConfigKind::dupe_window: return do_dupe_window(line);
    case ConfigKind::digi_path: return do_digi_path(line);
    case ConfigKind::beacon_interval: return do_beacon_interval(line);
    case ConfigKind::beacon_comment: return do_beacon_comment(line);
    default: return do_flag(line, kind);
    }
}

}  // namespace

LineReader config_line_reader(std::FILE* file) {
    return LineReader(file, LINE_LENGTH_MAX, EndAfterFullPiece::separate);
}

int conf_process_lines(Station& station, std::FILE* file, const char* path, Sink& out) {
    LineReader reader = config_line_reader(file);
    char buf[LINE_BUFFER_SIZE];
    Line line{station.config, station.digi_path_count, out};
    int items = 0;
    for (;;) {
        const LineRead got = reader.read(buf);
        if (got == LineRead::end) break;
        if (got == LineRead::error) {
            out.printf("\a\aError: cannot read %s\n", path);
            return CONF_CANNOT_OPEN;
        }
        ++line.number;
        std::snprintf(line.copy, sizeof line.copy, "%s", buf);
        line.args = argument_cursor(buf);
        const char* word = next_token(line.args.cursor, KEYWORD_SEPARATORS);
        if (word == nullptr || is_comment_char(word[0])) continue;

        const PrefixMatch m = match_config_keyword(word);
        switch (m.result) {
        case Match::ambiguous:
            out.printf("\a\aError: line %d: Ambiguous command: %s: %s\n", line.number, word, line.copy);
            return CONF_BAD_KEYWORD;
        case Match::unknown:
            out.printf("\a\aError: line %d: command %s invalid: %s\n", line.number, word, line.copy);
            offer_hint(did_you_mean(word, config_keywords, [](const ConfigKeyword& k) { return k.word; }));
            return CONF_BAD_KEYWORD;
        case Match::found: break;
        }
        ++items;
        const int code = handle_argument(line, config_keywords[m.index].kind);
        if (code != 0) return code;
    }
    out.printf("Configuration items processed %d\n", items);
    return 0;
}

int conf_load(Station& station, const char* path, bool& opened, Sink& out) {
    opened = false;
    if (path == nullptr) {
        out.printf("conf_process: Error: param rfp is invalid\n");  // "rfp": kept as operators' scripts expect
        return CONF_NO_FILE_NAME;
    }
    InputFile file(path, out);
    if (!file) return CONF_CANNOT_OPEN;
    opened = true;
    // Every file starts from the defaults; the two fields the Rules file
    // parser owns are kept, and the path count goes with the emptied path.
    station.config = defaults_keeping_rule_fields(station.config);
    station.digi_path_count = 0;
    return conf_process_lines(station, file.get(), path, out);
}

int conf_process(Station& station, const char* path, Sink& out) {
    bool opened = false;
    const int result = conf_load(station, path, opened, out);
    // Only a file read to its end without error is in force.
    if (opened) station.config_processed = result == 0 ? 1 : 0;
    return result;
}
