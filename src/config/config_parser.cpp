#include "config/config_parser.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "angles/angles.hpp"
#include "config/call_sign_hint.hpp"
#include "config/config_keywords.hpp"
#include "config/position_hint.hpp"
#include "serial/baud_table.hpp"
#include "station/config_record.hpp"
#include "station/field_ranges.hpp"
#include "station/station.hpp"
#include "text/input_file.hpp"
#include "text/line_reader.hpp"
#include "text/numbers.hpp"
#include "text/sink.hpp"
#include "text/suggest.hpp"
#include "text/tokens.hpp"

namespace {

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

// The next argument, or nullptr after the message that names it missing,
// with `code` set: -11 when there is none, -8 when it stands only after a
// comment character.
char* argument(Line& line, const char* separators, bool comment_test, const char* name, int& code) {
    char* token = nullptr;
    switch (take_argument(line.args, separators, comment_test, token)) {
    case Argument::taken: return token;
    case Argument::missing: code = CONF_BAD_ARGUMENT; break;
    case Argument::in_comment: code = CONF_IN_COMMENT; break;
    }
    line.out.error("line %d: missing %s argument: %s\n", line.number, name, line.copy);
    return nullptr;
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

int read_call_sign(Line& line, const ConfigGrammar& takes, const char* arg) {
    const std::size_t n = std::strlen(arg);
    if (n > takes.stored) {
        line.out.error("line %d: invalid %s argument: too long: %s\n", line.number, takes.name,
                       line.copy);
        offer_call_sign_hint(line.out, arg);
        return CONF_BAD_ARGUMENT;
    }
    // Upper-cased with one NUL; the bytes after it keep what stood there.
    for (std::size_t i = 0; i < n; ++i) line.config.call_sign[i] = upper(arg[i]);
    line.config.call_sign[n] = '\0';
    return 0;
}

int read_number(Line& line, const ConfigGrammar& takes, const char* arg) {
    const int32_t value = takes.form == NumberForm::prefixed ? parse_prefixed(arg) : parse_decimal(arg);
    const IntRange& limits = takes.limits;
    if (!limits.holds(value) && !(takes.zero_too && value == 0)) {
        if (takes.zero_too)
            line.out.error("line %d: invalid %s argument range [0, %d..%d]: %d: %s\n", line.number,
                           takes.name, static_cast<int>(limits.low), static_cast<int>(limits.high),
                           static_cast<int>(value), line.copy);
        else
            line.out.error("line %d: invalid %s argument range [%d..%d]: %d: %s\n", line.number,
                           takes.name, static_cast<int>(limits.low), static_cast<int>(limits.high),
                           static_cast<int>(value), line.copy);
        return CONF_BAD_ARGUMENT;
    }
    line.config.*takes.field = static_cast<uint16_t>(value);
    return 0;
}

int read_rate(Line& line, const ConfigGrammar& takes, const char* arg) {
    const int32_t rate = parse_decimal(arg);
    if (get_baud(rate, line.out) == nullptr) {
        line.out.error("line %d: invalid %s argument: %d: %s\n", line.number, takes.name,
                       static_cast<int>(rate), line.copy);
        return CONF_BAD_ARGUMENT;
    }
    line.config.*takes.rate_field = static_cast<uint32_t>(rate);
    return 0;
}

// One angle of a position: stored when dmctodeg reads it and it lies on the
// Earth.
int read_angle(Line& line, const char* arg, const char* name, IntRange range, int off_earth,
               float ConfigRecord::*field) {
    const double degrees = dmctodeg(arg, line.out);
    if (degrees == ANGLE_ERROR) {
        line.out.error("line %d: invalid %s argument: %s: %s\n", line.number, name, arg, line.copy);
        offer_position_hint(line.out, line.copy);
        return CONF_BAD_ARGUMENT;
    }
    if (!range.holds(degrees)) {
        line.out.error("line %d: invalid %s range [%d..%d]: %f: %s\n", line.number, name,
                       static_cast<int>(range.low), static_cast<int>(range.high), degrees, line.copy);
        if (off_earth == CONF_BAD_LATITUDE) offer_position_hint(line.out, line.copy);  // swapped with the longitude?
        return off_earth;
    }
    line.config.*field = static_cast<float>(degrees);
    return 0;
}

// The latitude is stored at once, before the longitude is taken; the
// longitude is a word.
int read_position(Line& line, const ConfigGrammar& takes, const char* latitude) {
    constexpr const char* LONGITUDE_NAME = "Station Longitude";
    int code = read_angle(line, latitude, takes.name, LATITUDE_RANGE, CONF_BAD_LATITUDE, &ConfigRecord::base_lat);
    if (code != 0) return code;
    const char* longitude = argument(line, CONFIG_WORD_SEPARATORS, true, LONGITUDE_NAME, code);
    if (longitude == nullptr) return code;
    return read_angle(line, longitude, LONGITUDE_NAME, LONGITUDE_RANGE, CONF_BAD_LONGITUDE, &ConfigRecord::base_lon);
}

int read_path(Line& line, const ConfigGrammar& takes, char* text) {
    ConfigRecord& config = line.config;
    std::memset(config.digi_path, 0, sizeof config.digi_path);
    char* cursor = text;
    std::size_t stored = 0;
    while (stored < PATH_SLOTS) {
        const char* element = next_token(cursor, PATH_ELEMENT_SEPARATORS);
        if (element == nullptr) break;
        const std::size_t n = std::strlen(element);
        if (n > takes.stored) {
            // the elements before this one stay stored; the count is kept
            line.out.error("line %d: %s[%d]: %s exceeds length %d: %s\n", line.number, takes.name,
                           static_cast<int>(stored + 1), element, static_cast<int>(takes.stored), line.copy);
            return CONF_BAD_ARGUMENT;
        }
        // An element as long as its slot fills it with no terminator.
        for (std::size_t i = 0; i < n; ++i) config.digi_path[stored][i] = upper(element[i]);
        ++stored;
    }
    line.digi_path_count = static_cast<int32_t>(stored);
    return 0;
}

int read_text(Line& line, const ConfigGrammar& takes, const char* text) {
    ConfigRecord& config = line.config;
    std::memset(config.beacon_comment, 0, sizeof config.beacon_comment);
    std::strncpy(config.beacon_comment, text, takes.stored);
    return 0;
}

// Reads the argument of a keyword as its row of the grammar says.
int read_argument(Line& line, const ConfigGrammar& takes) {
    int code = 0;
    char* arg = argument(line, takes.separators, takes.comment_test, takes.name, code);
    if (arg == nullptr) return code;
    switch (takes.reading) {
    case ConfigReading::call_sign: return read_call_sign(line, takes, arg);
    case ConfigReading::number: return read_number(line, takes, arg);
    case ConfigReading::rate: return read_rate(line, takes, arg);
    case ConfigReading::yes_no: line.config.*takes.field = switch_value(takes, arg); return 0;
    case ConfigReading::position: return read_position(line, takes, arg);
    case ConfigReading::path: return read_path(line, takes, arg);
    case ConfigReading::text: return read_text(line, takes, arg);
    }
    return 0;
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
            out.error("cannot read %s\n", path);
            return CONF_CANNOT_OPEN;
        }
        ++line.number;
        std::snprintf(line.copy, sizeof line.copy, "%s", buf);
        line.args = argument_cursor(buf);
        const char* word = next_token(line.args.cursor, CONFIG_KEYWORD_SEPARATORS);
        if (word == nullptr || is_comment_char(word[0])) continue;

        const PrefixMatch m = match_config_keyword(word);
        switch (m.result) {
        case Match::ambiguous:
            out.error("line %d: Ambiguous command: %s: %s\n", line.number, word, line.copy);
            out.hints().offer(candidates_hint(word, config_keywords, [](const ConfigKeyword& k) { return k.word; }));
            return CONF_BAD_KEYWORD;
        case Match::unknown:
            out.error("line %d: command %s invalid: %s\n", line.number, word, line.copy);
            out.hints().offer(did_you_mean(word, config_keywords, [](const ConfigKeyword& k) { return k.word; }));
            return CONF_BAD_KEYWORD;
        case Match::found: break;
        }
        ++items;
        const int code = read_argument(line, config_keywords[m.index].takes);
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
