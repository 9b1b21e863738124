#include "shell/terminal_warnings.hpp"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

#include "check/config_checks.hpp"
#include "check/implicit_line.hpp"
#include "check/rule_checks.hpp"
#include "shell/console.hpp"
#include "shell/shell_state.hpp"
#include "station/station.hpp"
#include "text/input_file.hpp"

void terminal_config_warnings(ShellState& shell, const char* config_file) {
    if (!console_at_terminal(shell.console)) return;
    const InputFile file(config_file);
    if (!file) return;
    TerminalWarnings& kept = shell.warnings;
    kept.config_file = config_file;
    for (const CheckWarning& w : check_config(file.get(), shell.station.config, kept.config_facts)) {
        if (w.line > 0) shell.out->printf("Warning: line %d: %s\n", w.line, w.message.c_str());
        else shell.out->printf("Warning: %s\n", w.message.c_str());
    }
}

void terminal_rules_warnings(ShellState& shell, const char* rules_file) {
    if (!console_at_terminal(shell.console)) return;
    const Station& station = shell.station;
    const TerminalWarnings& kept = shell.warnings;
    const bool station_known = station.config_processed != 0 && !kept.config_file.empty();
    const CheckStation base{station_known, station.config.base_lat, station.config.base_lon,
                            station_known ? kept.config_facts.position_line : 0};
    for (const CheckWarning& w : check_rules(base, rules_in_memory(station, last_implicit_line(rules_file)))) {
        const char* file = w.file == CheckedFile::config ? kept.config_file.c_str() : rules_file;
        shell.out->printf("Warning: %s[%d]: %s\n", file, w.line, w.message.c_str());
    }
}

void terminal_download_summary(ShellState& shell, const ConfigRecord& image) {
    if (!console_at_terminal(shell.console)) return;
    const char* end = std::find(std::begin(image.call_sign), std::end(image.call_sign), '\0');
    const std::string call(image.call_sign, end);
    shell.out->printf("To send: call sign %s SSID %d, position %.6f %.5f, %d rules, implicit %s\n", call.c_str(),
                      static_cast<int>(image.ssid), static_cast<double>(image.base_lat),
                      static_cast<double>(image.base_lon), static_cast<int>(image.rule_count),
                      image.implicit_action == IMPLICIT_DROP ? "Drop" : "Pass");
    if (call == "NOTSET")
        shell.out->printf("Warning: the call sign is NOTSET: no Configuration file in force has set one\n");
}
