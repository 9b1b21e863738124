#include "shell/command_line.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "check/check_files.hpp"
#include "shell/file_name_hint.hpp"
#include "journal/journal.hpp"
#include "journal/journal_listing.hpp"
#include "shell/journal_commands.hpp"
#include "serial/port_list.hpp"
#include "shell/port_list_text.hpp"
#include "shell/console.hpp"
#include "shell/prompt_loop.hpp"
#include "shell/shell_state.hpp"
#include "shell/version.hpp"
#include "text/sink.hpp"

namespace {

#ifdef _WIN32
#define JOURNAL_DEFAULT_TEXT "%LOCALAPPDATA%\\korrimatic\\journal"
#else
#define JOURNAL_DEFAULT_TEXT "$XDG_STATE_HOME/korrimatic/journal,\n                  ~/.local/state/korrimatic/journal without it"
#endif

const char USAGE[] =
    "Usage: korrimatic [--script FILE [--keep-going]]\n"
    "                  [--journal-dir DIR | --no-journal]\n"
    "       korrimatic --check CONFIG RULES\n"
    "       korrimatic --journal [N] [--journal-dir DIR]\n"
    "       korrimatic [--journal-dir DIR] --decode N OUTDIR | --diff CONFIG RULES [N]\n"
    "       korrimatic --list-ports | --version | --help\n"
    "\n"
    "Prepares, loads and maintains the Korrimatic APRS digipeater. Without options\n"
    "it reads commands at the Command> prompt (type help there for the commands).\n"
    "\n"
    "  --script FILE   run the commands of FILE (- for standard input) as typed,\n"
    "                  each shown after its prompt; questions are answered by the\n"
    "                  lines that follow. Stops at the first command that fails.\n"
    "  --keep-going    with --script: run every line, even after a failure, and\n"
    "                  list the lines that failed at the end (standard error)\n"
    "  --check CONFIG RULES\n"
    "                  read a Configuration file and a Rules file (either may be\n"
    "                  - for none) as configure and rules do, and print each\n"
    "                  error and each likely mistake as FILE:LINE: error: ... or\n"
    "                  FILE:LINE: warning: ...; exit status 0 clean, 1 warnings\n"
    "                  only, 2 an error\n"
    "  --journal [N]   list the journal of transfers, one a line, oldest first;\n"
    "                  with N show entry N whole, its station decoded as\n"
    "                  dconfigure and drules show it\n"
    "  --journal-dir DIR\n"
    "                  keep the journal in DIR: every download and firmware\n"
    "                  update that reached the device is recorded there, with\n"
    "                  the images sent (default, at a terminal and with\n"
    "                  --script: " JOURNAL_DEFAULT_TEXT ")\n"
    "  --no-journal    record nothing\n"
    "  --decode N OUTDIR\n"
    "                  write the two images of journal entry N back into files,\n"
    "                  OUTDIR/<station>.cfg and OUTDIR/<station>.rul, that\n"
    "                  configure and rules turn into the same bytes again\n"
    "  --diff CONFIG RULES [N]\n"
    "                  show what a download of the two files would change against\n"
    "                  journal entry N, by default the last succeeded download to\n"
    "                  the same station: one line per field and per rule; exit\n"
    "                  status 0 no change, 1 changes, 2 an error\n"
    "  --list-ports    list the serial ports of this machine, each with the COM\n"
    "                  number it answers to, and the KORRIMATIC_COMn set, and end\n"
    "  --version       show the version and end\n"
    "  --help          show this text and end\n"
    "\n"
    "Exit status: 0 after exit (or a script whose every command succeeded),\n"
    "1 at the end of the input, 2 when a command of a script failed or the\n"
    "options are wrong.\n"
    "\n"
    "connect and firmware take a port as a number (3, COM3)"
#ifndef _WIN32
    " or a device path\n(/dev/ttyUSB0); COMn is the device in KORRIMATIC_COMn, else /dev/ttyS<n-1>"
#endif
#ifdef _WIN32
    ".\nSee MANUAL.txt beside korrimatic.exe for the commands and the two files.\n"
#else
    ".\nSee korrimatic(1) for the commands and the two files.\n"
    "korrimap CONFIG RULES draws the areas of the rules around the station, as\n"
    "GeoJSON and SVG; korrimap --check is the same check as --check (korrimap(1)).\n"
#endif
    ;

const char* editing_text() {
#ifdef _WIN32
    return "the console's own line editing";
#else
    return "line editing with libedit";
#endif
}

const char* platform_text() {
#ifdef _WIN32
    return "Windows";
#else
    return "Linux";
#endif
}

int list_ports(Sink& out) {
    const std::vector<PortEntry> ports = list_serial_ports();
#ifdef _WIN32
    if (ports.empty()) {
        std::fprintf(stderr, "korrimatic: no serial ports found\n");
        return 1;
    }
    for (const PortEntry& p : ports) {
        if (p.detail.empty()) out.printf("%s\n", p.name.c_str());
        else out.printf("%s  %s\n", p.name.c_str(), p.detail.c_str());
    }
    return 0;
#else
    print_port_list(ports, com_mappings_in_force(), out);
    if (ports.empty()) std::fprintf(stderr, "korrimatic: no serial ports found\n");
    return ports.empty() ? 1 : 0;
#endif
}

// Where the transfers of this run are recorded: the folder given, else the
// default one under --script or at a terminal; never for plain piped input.
std::string journal_folder(const CommandLine& options, const Sink& out) {
    if (options.no_journal) return std::string();
    if (!options.journal_dir.empty()) return options.journal_dir;
    if (options.script || out.operator_at_terminal()) return journal_default_dir();
    return std::string();
}

int run_script(ShellState& shell, const CommandLine& options) {
    std::FILE* in = stdin;
    if (options.script_file != "-") {
        in = std::fopen(options.script_file.c_str(), "rb");
        if (in == nullptr) {
            std::fprintf(stderr, "korrimatic: cannot open script %s: %s\n", options.script_file.c_str(),
                         std::strerror(errno));
            return USAGE_ERROR;
        }
    }
    shell.console.in = in;
    ShellRun run;
    run.script = true;
    run.keep_going = options.keep_going;
    run.script_name = options.script_file.c_str();
    const int status = run_shell(shell, run);
    shell.console.in = stdin;
    if (in != stdin) std::fclose(in);
    return status;
}

// A journal entry's number: digits only, from 1.
bool entry_number(const char* text, long& number) {
    char* end = nullptr;
    number = std::strtol(text, &end, 10);
    return text[0] >= '0' && text[0] <= '9' && *end == '\0' && number > 0;
}

}  // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
    CommandLine c;
    for (int i = 1; i < argc && c.error.empty(); ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") c.help = true;
        else if (arg == "--version" || arg == "-V") c.version = true;
        else if (arg == "--list-ports") c.list_ports = true;
        else if (arg == "--keep-going" || arg == "-k") c.keep_going = true;
        else if (arg == "--script" || arg == "-s") {
            if (i + 1 >= argc) c.error = "option " + arg + " needs a file name";
            else {
                c.script = true;
                c.script_file = argv[++i];
            }
        } else if (arg == "--check") {
            if (i + 2 >= argc) c.error = "option --check needs a Configuration file and a Rules file (- for none)";
            else {
                c.check = true;
                c.check_config = argv[++i];
                c.check_rules = argv[++i];
            }
        } else if (arg == "--decode") {
            if (i + 2 >= argc || !entry_number(argv[i + 1], c.decode_entry))
                c.error = "option --decode needs a journal entry number and a folder";
            else {
                c.decode = true;
                c.decode_dir = argv[i + 2];
                i += 2;
            }
        } else if (arg == "--diff") {
            if (i + 2 >= argc) c.error = "option --diff needs a Configuration file and a Rules file";
            else {
                c.diff = true;
                c.diff_config = argv[++i];
                c.diff_rules = argv[++i];
                if (i + 1 < argc && entry_number(argv[i + 1], c.diff_entry)) ++i;
            }
        } else if (arg == "--journal") {
            c.journal = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                const std::string n = argv[++i];
                if (n.empty() || n.size() > 9 || n.find_first_not_of("0123456789") != std::string::npos ||
                    std::stoi(n) < 1) {
                    c.error = "option --journal takes an entry number, not " + n;
                } else {
                    c.journal_entry = std::stoi(n);
                }
            }
        } else if (arg == "--journal-dir") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') c.error = "option --journal-dir needs a folder";
            else c.journal_dir = argv[++i];
        } else if (arg.rfind("--journal-dir=", 0) == 0) {
            c.journal_dir = arg.substr(14);
            if (c.journal_dir.empty()) c.error = "option --journal-dir needs a folder";
        } else if (arg == "--no-journal") {
            c.no_journal = true;
        } else if (arg.rfind("--script=", 0) == 0) {
            c.script = true;
            c.script_file = arg.substr(9);
        } else if (arg.size() > 1 && arg[0] == '-') {
            c.error = "unknown option " + arg;
        } else {
            c.error = "unexpected argument " + arg;
        }
    }
    if (c.error.empty() && c.script && c.script_file.empty()) c.error = "option --script needs a file name";
    if (c.error.empty() && c.keep_going && !c.script) c.error = "option --keep-going goes with --script";
    if (c.error.empty() && c.check && c.script) c.error = "option --check goes without --script";
    if (c.error.empty() && c.journal && (c.script || c.check)) c.error = "option --journal goes alone";
    if (c.error.empty() && c.no_journal && (c.journal || !c.journal_dir.empty())) {
        c.error = "option --no-journal goes without --journal and --journal-dir";
    }
    if (c.error.empty() && (c.decode || c.diff) && (c.script || c.check || c.journal || c.no_journal || (c.decode && c.diff)))
        c.error = "options --decode and --diff go alone";
    return c;
}

int run_command_line(ShellState& shell, const CommandLine& options) {
    if (!options.error.empty()) {
        std::fprintf(stderr, "korrimatic: %s\nTry 'korrimatic --help'.\n", options.error.c_str());
        return USAGE_ERROR;
    }
    if (options.help) {
        shell.out->put(USAGE);
        return 0;
    }
    if (options.version) {
        shell.out->printf("Korrimatic PC Host Utility %s\nkorrimatic build %s for %s, %s\n", PRODUCT_VERSION,
                          KORRI_BUILD_VERSION, platform_text(), editing_text());
        return 0;
    }
    if (options.list_ports) return list_ports(*shell.out);
    if (options.journal) {
        const std::string dir = options.journal_dir.empty() ? journal_default_dir() : options.journal_dir;
        if (dir.empty()) {
            std::fprintf(stderr, "korrimatic: no folder for the journal: give --journal-dir\n");
            return USAGE_ERROR;
        }
        return options.journal_entry == 0 ? journal_list(dir, *shell.out)
                                          : journal_show(dir, options.journal_entry, *shell.out);
    }
    if (options.check) return check_files(options.check_config.c_str(), options.check_rules.c_str(), *shell.out, file_name_hint);
    // --decode and --diff read the journal in --journal-dir, else the default one.
    const std::string journal_dir = options.journal_dir.empty() ? journal_default_dir() : options.journal_dir;
    FileSink err(stderr);
    if (options.decode) return decode_entry(journal_dir, options.decode_entry, options.decode_dir, *shell.out, err);
    if (options.diff)
        return diff_files(journal_dir, options.diff_config.c_str(), options.diff_rules.c_str(), options.diff_entry,
                          *shell.out, err);
    shell.journal_dir = journal_folder(options, *shell.out);
    if (options.script) return run_script(shell, options);
    return run_shell(shell);
}
