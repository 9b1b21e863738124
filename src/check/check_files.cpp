#include "check/check_files.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "check/config_checks.hpp"
#include "check/implicit_line.hpp"
#include "check/parser_messages.hpp"
#include "check/rule_checks.hpp"
#include "config/config_parser.hpp"
#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "station/station.hpp"
#include "text/input_file.hpp"
#include "text/sink.hpp"

namespace {

void print_warning(const char* file, const CheckWarning& w, Sink& out) {
    if (w.line > 0) out.printf("%s:%d: warning: %s\n", file, w.line, w.message.c_str());
    else out.printf("%s: warning: %s\n", file, w.message.c_str());
}

}  // namespace

int check_files(const char* config_file, const char* rules_file, Sink& out, FileNameHint file_name_hint) {
    const bool have_config = std::strcmp(config_file, "-") != 0;
    const bool have_rules = std::strcmp(rules_file, "-") != 0;
    Station station;  // the check's own: the session's images stay as they are

    // Each file is read as configure and rules read it; a Rules file does not
    // depend on the configuration, so the errors of both are shown.
    // The hint a parser offers (on the sink it prints to) goes after its
    // file's error lines.
    const auto hint = [&](StringSink& printed, bool opened, const char* file) {
        const std::string offered = printed.hints().take();
        return opened || file_name_hint == nullptr ? offered : file_name_hint(file);
    };
    std::vector<std::string> errors;
    if (have_config) {
        StringSink printed;
        bool opened = false;
        if (conf_load(station, config_file, opened, printed) != 0) {
            errors = config_error_lines(printed.text(), config_file);
            add_note(errors, hint(printed, opened, config_file));
        }
    }
    if (have_rules) {
        StringSink printed;
        bool opened = false;
        if (rules_load(station, rules_file, opened, printed) != 0) {
            std::vector<std::string> more = rules_error_lines(printed.text(), rules_file);
            add_note(more, hint(printed, opened, rules_file));
            errors.insert(errors.end(), more.begin(), more.end());
        }
    }
    for (const std::string& e : errors) out.printf("%s\n", e.c_str());
    if (!errors.empty()) return CHECK_ERRORS;

    std::vector<CheckWarning> warnings;
    ConfigFacts facts;
    if (have_config) {
        const InputFile file(config_file);
        if (file) warnings = check_config(file.get(), station.config, facts);
    }
    if (have_rules) {
        const CheckStation base{have_config, station.config.base_lat, station.config.base_lon, facts.position_line};
        const std::vector<CheckWarning> more =
            check_rules(base, rules_in_memory(station, last_implicit_line(rules_file)));
        warnings.insert(warnings.end(), more.begin(), more.end());
    }
    // The Configuration file's first, in the order of their lines (those
    // without a line after the others), then the Rules file's.
    const auto order = [](const CheckWarning& w) { return std::tuple(w.file, w.line == 0, w.line); };
    std::stable_sort(warnings.begin(), warnings.end(),
                     [&](const CheckWarning& a, const CheckWarning& b) { return order(a) < order(b); });
    for (const CheckWarning& w : warnings) print_warning(w.file == CheckedFile::config ? config_file : rules_file, w, out);
    return warnings.empty() ? CHECK_CLEAN : CHECK_WARNINGS;
}
