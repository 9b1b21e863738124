#include "check/config_checks.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "check/call_sign_check.hpp"
#include "check/position_check.hpp"
#include "config/config_keywords.hpp"
#include "config/config_parser.hpp"
#include "device/device_rates.hpp"
#include "text/formatted.hpp"
#include "text/line_reader.hpp"
#include "text/tokens.hpp"

namespace {

// The words whose meaning is plain; any other is read by its first letter.
bool plain_yes_no(const std::string& word, bool pass_words) {
    static const char* const WORDS[] = {"yes", "no", "y", "n", "true", "false", "1", "0"};
    std::string lower = word;
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (std::any_of(std::begin(WORDS), std::end(WORDS), [&](const char* w) { return lower == w; })) return true;
    return pass_words && (lower == "pass" || lower == "drop");
}

bool is_switch(const ConfigKeyword& keyword) { return keyword.takes.reading == ConfigReading::yes_no; }

// The parser's reading of a yes/no word: its first letter.
bool read_as_yes(const ConfigKeyword& keyword, const char* word) { return switch_value(keyword.takes, word) != 0; }

struct Scan {
    std::vector<CheckWarning> out;
    ConfigFacts facts;
    int call_line = 0;
    std::string call_written;
    int ssid_line = 0;
    int host_line = 0;
    int gps_line = 0;

    void warn(int line, std::string message) { out.push_back({CheckedFile::config, line, std::move(message)}); }

    void switch_word(int line, const ConfigKeyword& keyword, const char* word) {
        const bool pass_words = keyword.takes.pass_is_yes;
        if (plain_yes_no(word, pass_words)) return;
        warn(line, formatted("%s %s is read as %s: only its first letter counts (%s mean yes); write yes or no",
                             keyword.word, word, read_as_yes(keyword, word) ? "Yes" : "No",
                             pass_words ? "y, t, e, 1 and p" : "y, t, e and 1"));
    }

    void path(int line, char* text) {
        std::vector<std::string> left_out;
        std::size_t elements = 0;
        for (char* cursor = text; const char* element = next_token(cursor, PATH_ELEMENT_SEPARATORS);)
            if (++elements > PATH_SLOTS) left_out.emplace_back(element);
        if (left_out.empty()) return;
        std::string list;
        for (const std::string& e : left_out) {
            if (!list.empty()) list += ',';
            list += e;
        }
        warn(line, formatted("digipath has %d elements: only the first %d are stored; %s %s left out",
                             static_cast<int>(elements), static_cast<int>(PATH_SLOTS), list.c_str(),
                             left_out.size() == 1 ? "is" : "are"));
    }

    // `end` is the character of the line as read that ended the text; the
    // first `kept` characters are stored.
    void comment_text(int line, std::size_t kept, const char* text, char end, char before_end) {
        const std::size_t n = std::strlen(text);
        if (is_comment_char(end) && before_end != ' ' && before_end != '\t')
            warn(line, formatted("bcomment ends at the \"%c\", which begins a comment: only \"%.*s\" is stored", end,
                                 static_cast<int>(std::min(n, kept)), text));
        if (n > kept)
            warn(line, formatted("bcomment has %d characters: only the first %d are stored; \"%s\" is left out",
                                 static_cast<int>(n), static_cast<int>(kept), text + kept));
    }

    void line(int number, char* buf, const char* copy) {
        ArgumentCursor args = argument_cursor(buf);
        const char* word = next_token(args.cursor, CONFIG_KEYWORD_SEPARATORS);
        if (word == nullptr || is_comment_char(word[0])) return;
        const PrefixMatch m = match_config_keyword(word);
        if (m.result != Match::found) return;
        const ConfigKeyword& keyword = config_keywords[m.index];
        // The first argument as the parser takes it.
        char* arg = nullptr;
        if (take_argument(args, keyword.takes.separators, keyword.takes.comment_test, arg) != Argument::taken) return;
        switch (keyword.kind) {
        case ConfigKind::call_sign:
            call_line = number;
            call_written = arg;
            break;
        case ConfigKind::ssid: ssid_line = number; break;
        case ConfigKind::position:
            facts.position_line = number;
            if (const std::string w = position_blanks_warning(copy); !w.empty()) warn(number, w);
            break;
        case ConfigKind::host_baud: host_line = number; break;
        case ConfigKind::gps_baud: gps_line = number; break;
        case ConfigKind::digi_path: path(number, arg); break;
        case ConfigKind::beacon_comment: {
            const std::size_t end = static_cast<std::size_t>(arg - buf) + std::strlen(arg);
            comment_text(number, keyword.takes.stored, arg, copy[end], end > 0 ? copy[end - 1] : '\0');
            break;
        }
        default:
            if (is_switch(keyword)) switch_word(number, keyword, arg);
            break;
        }
    }

    void whole_file(const ConfigRecord& record) {
        if (call_line == 0 && std::strcmp(record.call_sign, "NOTSET") == 0)
            warn(0, "no call line: the station goes on the air as NOTSET");
        const std::string stored(record.call_sign, strnlen(record.call_sign, sizeof record.call_sign));
        if (const std::string w = call_sign_warning(call_written, stored, record.ssid, ssid_line); !w.empty())
            warn(call_line, w);
        const bool gps = record.have_gps != 0;
        const auto rate = static_cast<int32_t>(gps ? record.gps_baud : record.host_baud);
        if (!is_device_baud_rate(rate))
            warn(gps ? gps_line : host_line,
                 formatted("connect without a rate would use the %s rate %d, which it does not offer "
                           "(4800, 9600, 19200, 38400, 57600): type a rate after the port",
                           gps ? "GPS" : "host", static_cast<int>(rate)));
    }
};

}  // namespace

std::vector<CheckWarning> check_config(std::FILE* file, const ConfigRecord& record, ConfigFacts& facts) {
    Scan scan;
    LineReader reader = config_line_reader(file);  // as the parser reads the file
    char buf[LINE_BUFFER_SIZE];
    char copy[LINE_BUFFER_SIZE];
    for (int number = 1; reader.read(buf) == LineRead::line; ++number) {
        std::snprintf(copy, sizeof copy, "%s", buf);
        scan.line(number, buf, copy);
    }
    scan.whole_file(record);
    const auto order = [](const CheckWarning& w) { return std::pair(w.line == 0, w.line); };
    std::stable_sort(scan.out.begin(), scan.out.end(),
                     [&](const CheckWarning& a, const CheckWarning& b) { return order(a) < order(b); });
    facts = scan.facts;
    return scan.out;
}
