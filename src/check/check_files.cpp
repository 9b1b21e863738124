#include "check/check_files.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "check/config_checks.hpp"
#include "check/implicit_line.hpp"
#include "check/parser_messages.hpp"
#include "check/rule_checks.hpp"
#include "config/config_parser.hpp"
#include "config/config_record.hpp"
#include "rules/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "text/input_file.hpp"

namespace {

// The configuration and rule table of the session, put back at the end.
class SavedImages {
public:
    SavedImages() : config_(config), table_(rule_table), path_count_(digi_path_count) {}
    ~SavedImages() {
        config = config_;
        rule_table = table_;
        digi_path_count = path_count_;
    }
    SavedImages(const SavedImages&) = delete;
    SavedImages& operator=(const SavedImages&) = delete;

private:
    ConfigRecord config_;
    RuleTable table_;
    int32_t path_count_;
};

void print_warning(const char* file, const CheckWarning& w) {
    if (w.line > 0) std::printf("%s:%d: warning: %s\n", file, w.line, w.message.c_str());
    else std::printf("%s: warning: %s\n", file, w.message.c_str());
}

}  // namespace

int check_files(const char* config_file, const char* rules_file) {
    const bool have_config = std::strcmp(config_file, "-") != 0;
    const bool have_rules = std::strcmp(rules_file, "-") != 0;
    const SavedImages saved;
    load_config_defaults();
    digi_path_count = 0;
    rule_table = RuleTable{};

    // Each file is read as configure and rules read it; a Rules file does not
    // depend on the configuration, so the errors of both are shown.
    std::vector<std::string> errors;
    if (have_config) {
        int rc = 0;
        const std::string printed = printed_by([&] {
            bool opened = false;
            rc = conf_load(config_file, opened);
        });
        if (rc != 0) errors = config_error_lines(printed, config_file);
    }
    if (have_rules) {
        int rc = 0;
        const std::string printed = printed_by([&] {
            bool opened = false;
            rc = rules_load(rules_file, opened);
        });
        if (rc != 0) {
            const std::vector<std::string> more = rules_error_lines(printed, rules_file);
            errors.insert(errors.end(), more.begin(), more.end());
        }
    }
    for (const std::string& e : errors) std::printf("%s\n", e.c_str());
    if (!errors.empty()) return CHECK_ERRORS;

    std::vector<CheckWarning> warnings;
    ConfigFacts facts;
    if (have_config) {
        const InputFile file(config_file);
        if (file) warnings = check_config(file.get(), config, facts);
    }
    if (have_rules) {
        const CheckStation station{have_config, config.base_lat, config.base_lon, facts.position_line};
        const std::vector<CheckWarning> more = check_rules(station, rules_in_memory(last_implicit_line(rules_file)));
        warnings.insert(warnings.end(), more.begin(), more.end());
    }
    // The Configuration file's first, in the order of their lines (those
    // without a line after the others), then the Rules file's.
    const auto order = [](const CheckWarning& w) { return std::tuple(w.file, w.line == 0, w.line); };
    std::stable_sort(warnings.begin(), warnings.end(),
                     [&](const CheckWarning& a, const CheckWarning& b) { return order(a) < order(b); });
    for (const CheckWarning& w : warnings) print_warning(w.file == CheckedFile::config ? config_file : rules_file, w);
    return warnings.empty() ? CHECK_CLEAN : CHECK_WARNINGS;
}
