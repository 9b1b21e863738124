// The shell's line path: the input's lines are handled one after another by
// handle_line with the real command handlers, as the prompt loop reads them;
// a question a command asks is answered by the next line of the input. No
// serial port ever opens (the driver refuses every open), so nothing waits
// for a device; the files the commands name are the few made in a scratch
// folder that is the working directory, and inputs naming anything outside it
// are not run. After every line the shell's state must hold together and the
// line's output must be bounded.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "station/config_record.hpp"
#include "process/interrupt.hpp"
#include "station/rule_record.hpp"
#include "serial/serial_port.hpp"
#include "shell/console.hpp"
#include "shell/prompt_loop.hpp"
#include "shell/shell_state.hpp"
#include "support/fuzz_check.hpp"
#include "support/image_checks.hpp"

namespace {

// More than any one command prints: the summary, the angles help, a full
// rule table.
constexpr std::size_t LINE_OUTPUT_MAX = 64 * 1024;

// A port that is never there: every open fails, and nothing else may be asked
// of it.
class AbsentPort final : public SerialDriver {
public:
    bool open(const char*, const LineSettings&, const CommTimeouts&, OpenFailure& failure) override {
        failure.step = OpenStep::open;
        return false;
    }
    bool set_timeouts(const CommTimeouts&, bool) override { return unreachable("set_timeouts"); }
    bool read(uint8_t*, std::size_t, std::size_t&, const ReadUntil*) override { return unreachable("read"); }
    bool write(const uint8_t*, std::size_t, std::size_t&) override { return unreachable("write"); }
    void purge() override { unreachable("purge"); }
    void close() override {}
    uint32_t last_error() override { return 2; }
    std::string error_text(uint32_t) override { return "no such port"; }

private:
    static bool unreachable(const char* what) {
        std::fprintf(stderr, "the port was used without being open: %s\n", what);
        check_failed("no port operation but open", "");
    }
};

std::string g_scratch;
const char* const SCRATCH_FILES[] = {"station.cfg", "station.rul", "loop.hex", "bad.cfg", "bad.rul", "bad.hex"};

void write_file(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", name.c_str());
        std::abort();
    }
}

void remove_scratch() {
    for (const char* name : SCRATCH_FILES) std::remove((g_scratch + "/" + name).c_str());
    rmdir(g_scratch.c_str());
}

// The scratch folder with the files the seed inputs name, made the working
// directory.
void enter_scratch_folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/korri-fuzz-shell-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    g_scratch = pattern;
    // Small files, so that a line naming one costs little: the parsers
    // themselves have targets of their own.
    write_file(g_scratch + "/station.cfg",
               "call N0CALL  # the station\nssid 7\nposition 39:30:00, -104:45:00\nhost 19200\nhavegps y\n"
               "digipath WIDE1-1, WIDE2-2\nbcomment Fuzz station\nbeacon 600\n");
    write_file(g_scratch + "/station.rul",
               "drop implicit\npass destin AP*\ndrop source N0CALL-5\npass circle 25, 39:30:00, -104:45:00\n"
               "drop compass NW, 39:30:00, -104:45:00\npass rectangle 40:00:00, -105:00:00, 39:00:00, -104:00:00\n"
               "drop sector 10:00:00, 80:00:00, 5, 20\n");
    write_file(g_scratch + "/loop.hex", ":10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n");
    write_file(g_scratch + "/bad.cfg", "call N0CALL\nssid 7\nposition 39:30:00, 200d\n");
    write_file(g_scratch + "/bad.rul", "drop implicit\npass destin APRS\npass circle 0, 39:30:00, -104:45:00\n");
    write_file(g_scratch + "/bad.hex", ":0400100001020304E2\n:0400100001020304E1\n");
    if (chdir(g_scratch.c_str()) != 0) {
        std::perror("chdir");
        std::abort();
    }
    std::atexit(remove_scratch);
}

// Inputs that could name a file outside the scratch folder are not run.
bool stays_in_scratch(std::string_view input) {
    return input.find('/') == std::string_view::npos && input.find("..") == std::string_view::npos;
}

// Each input runs in a shell state of its own, with a port whose driver and
// fatal path are set here.
void set_up_shell(ShellState& shell) {
    shell.port.set_driver(std::make_unique<AbsentPort>());
    // The fatal path ends the program after a pause: it needs a port that
    // opened, so reaching it is a fault here, and it never sleeps.
    shell.port.set_read_failure([](SerialPort&, int, const char*) { check_failed("the fatal path was reached", ""); });
    shell.out = &target_output().sink();
    shell.port.set_out(target_output().sink());
}

void check_state(const ShellState& shell, CommandOutcome outcome, std::string_view out) {
    FUZZ_CHECK(outcome == CommandOutcome::done || outcome == CommandOutcome::failed ||
                   outcome == CommandOutcome::exit,
               out);
    FUZZ_CHECK(out.size() <= LINE_OUTPUT_MAX, out);
    FUZZ_CHECK(shell.connected == 0, out);
    const Station& station = shell.station;
    FUZZ_CHECK(station.config_processed == 0 || station.config_processed == 1, out);
    FUZZ_CHECK(station.rules_processed == 0 || station.rules_processed == 1, out);
    FUZZ_CHECK(std::memchr(shell.input_line, '\0', sizeof shell.input_line) != nullptr, out);
    FUZZ_CHECK(std::memchr(shell.previous_line, '\0', sizeof shell.previous_line) != nullptr, out);
    FUZZ_CHECK(std::memchr(shell.port_name, '\0', sizeof shell.port_name) != nullptr, out);
    FUZZ_CHECK(std::memchr(shell.firmware_file, '\0', sizeof shell.firmware_file) != nullptr, out);
    check_config_image(station, station.config_processed == 1, out);
    check_rule_table(station, station.rules_processed == 1, out);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    enter_scratch_folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!stays_in_scratch(input)) return -1;
    ShellState shell;
    set_up_shell(shell);
    std::FILE* in = input_stream(data, size);
    shell.console.in = in;
    TargetOutput& capture = target_output();
    std::string line;
    for (;;) {
        clear_interrupts();
        if (!console_read_line(in, line)) break;
        capture.begin();
        const CommandOutcome outcome = handle_line(shell, line.c_str());
        const std::string_view out = capture.end();
        check_state(shell, outcome, out);
        if (outcome == CommandOutcome::exit) break;
    }
    std::fclose(in);
    return 0;
}
