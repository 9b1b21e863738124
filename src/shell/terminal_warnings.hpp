// The checks' warnings at the operator's terminal, after configure and rules,
// and the line of what a download sends. Each prints only when the console
// is a terminal: in a script or from a pipe the output stays as it was.
#pragma once

#include <string>

#include "check/config_checks.hpp"
#include "station/config_record.hpp"

struct ShellState;

// What the rules' warnings take from the Configuration file read last.
struct TerminalWarnings {
    std::string config_file;  // the last Configuration file read without error at the terminal
    ConfigFacts config_facts;
};

// After a Configuration file was read without error into the shell's
// station: its warnings, one line
// each, "Warning: line N: ...".
void terminal_config_warnings(ShellState& shell, const char* config_file);

// After a Rules file was read without error: its warnings, and those of the
// station's own position when its Configuration file is in force, as
// "Warning: FILE[N]: ...".
void terminal_rules_warnings(ShellState& shell, const char* rules_file);

// Before a download: call sign and SSID, position, rule count and implicit
// action of `image`, the configuration it sends, and a warning when the call
// sign is NOTSET.
void terminal_download_summary(ShellState& shell, const ConfigRecord& image);
