// The program's command-line options. Without any the program is the
// interactive console; every option is an addition.
#pragma once

#include <string>

struct ShellState;

struct CommandLine {
    bool help = false;
    bool version = false;
    bool list_ports = false;
    bool script = false;
    std::string script_file;  // "-" for standard input
    bool keep_going = false;
    bool check = false;          // --check CONFIG RULES
    std::string check_config;    // "-" for none
    std::string check_rules;     // "-" for none
    bool journal = false;        // --journal [N]: list the journal, or show entry N
    int journal_entry = 0;       // N, 0 for the list
    std::string journal_dir;     // --journal-dir DIR, empty for the default folder
    bool no_journal = false;     // --no-journal
    bool decode = false;         // --decode N DIR
    long decode_entry = 0;
    std::string decode_dir;
    bool diff = false;           // --diff CONFIG RULES [N]
    std::string diff_config;
    std::string diff_rules;
    long diff_entry = 0;         // 0: the last succeeded download to the station
    std::string error;        // what is wrong with the arguments, if anything
};

CommandLine parse_command_line(int argc, const char* const* argv);

// Runs what the command line asks for with the shell's state and returns
// the exit status.
int run_command_line(ShellState& shell, const CommandLine& options);

// The exit status of a command line that cannot be used.
inline constexpr int USAGE_ERROR = 2;
