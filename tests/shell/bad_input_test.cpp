// Bad input through the built program: names that are no usable file, files
// of junk, and console lines with NULs, CRs, great length or an end of input
// where a question waits. Each case checks the whole transcript: the message,
// the prompt coming back, and the command after it showing that what was read
// before is kept (or changed only as documented); and that the run ends in
// good time. A firmware command names a COM1 that does not exist, so that an
// attempt to open the port would show as its error.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "download/download_texts.hpp"
#include "download/korrisim_process.hpp"
#include "firmware/hex_files.hpp"
#include "support/concurrently.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"

namespace {

const std::string P = "Command> ";
const std::string ANY = "\x1f";  // in an expected transcript: any text (shown as <1F>)
const std::string CFG = std::string(KORRI_SOURCE_DIR) + "/examples/station.cfg";
const std::string RUL = std::string(KORRI_SOURCE_DIR) + "/examples/station.rul";
const std::string CFG_READ = "Configuration items processed 22\n";
const std::string RUL_READ = "Rules processed 16, implicit 1\n";
const std::string CANNOT = "\a\aError: cannot open ";
const std::string CONF_FAILED = "\a\aError: Configuration processing failed\n";
const std::string RULES_FAILED = "\a\aError: Rule processing failed\n";
const std::string ASK =
    "\a\aWARNING! This will alter the Korrimatic firmware!\nDo you want to continue (n or y)? [n]: ";
const std::string HEX_BAD = "\a\aError: Firmware file has some kind of error!\n";
const std::string FW_FAILED = "Error: Firmware update failed!\n\tPower cycle Korrimatic and try again!\n";

// True when `text` is `pattern`, each ANY in it standing for any text.
bool matches(const std::string& text, const std::string& pattern) {
    const std::size_t first = pattern.find(ANY);
    if (first == std::string::npos) return text == pattern;
    if (text.compare(0, first, pattern, 0, first) != 0) return false;
    std::size_t at = first, from = first + 1;
    for (std::size_t any; (any = pattern.find(ANY, from)) != std::string::npos; from = any + 1) {
        at = text.find(pattern.substr(from, any - from), at);
        if (at == std::string::npos) return false;
        at += any - from;
    }
    const std::size_t tail = pattern.size() - from;
    return text.size() >= at + tail && text.compare(text.size() - tail, tail, pattern, from, tail) == 0;
}

// What dconfigure and drules show, from a run without bad input.
struct Shown {
    std::string defaults, no_rules, example_config, example_rules;
};

Shown control_run() {
    const ProgramResult r =
        run_korrimatic("dconfigure\ndrules\nconfigure " + CFG + "\ndconfigure\nrules " + RUL + "\ndrules\nx\n");
    std::vector<std::string> part;
    const std::string out = r.out.substr(std::min(r.out.size(), startup_text().size()));
    for (std::size_t at = 0, p; (p = out.find(P, at)) != std::string::npos; at = p + P.size())
        part.push_back(out.substr(at, p - at));
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out.substr(0, startup_text().size()), startup_text());
    EXPECT_EQ(part.size(), 6u);
    part.resize(6);
    EXPECT_EQ(part[2], CFG_READ);
    EXPECT_EQ(part[4], RUL_READ);
    return {part[0], part[1], part[3], part[5]};
}

enum class Device { none, console, loader };

struct Case {
    std::string name;
    std::string input;          // after the preamble
    std::string output;         // what it prints up to the prompt that follows
    const std::string* shown;   // what the command after it shows; nullptr: the input has ended
    bool rules = false;         // the preamble reads the example Rules file and drules follows;
                                // otherwise the example Configuration file, and dconfigure
    bool posix_only = false;    // a FIFO or a device
    Device device = Device::none;
};

// The files of the cases, in a folder of their own.
struct Files {
    ScratchDir dir;
    std::string folder = dir.path("a folder"), empty = dir.path("empty"), random = dir.path("random.bin"),
                long_line = dir.path("long.txt"), missing = dir.path("missing.txt"),
                blanks = dir.path("name with blanks.txt"), fifo = dir.path("fifo"), hex = dir.path("good.hex"),
                joined_hex = dir.path("joined.hex");
    Files() {
        std::filesystem::create_directory(folder);
        std::mt19937 bytes(20240611);  // the same bytes on every run
        std::string junk(std::size_t{1} << 20, '\0');
        for (char& c : junk) c = static_cast<char>(bytes() & 0xFFu);
        write(empty, "");
        write(random, junk);
        write(long_line, ":" + std::string(99999, '0') + "\n");
        write(blanks, ":00000001FE\n");
        write(dir.path("no newline.cfg"), "\n\nssid 16");
        write(dir.path("no newline.rul"), "\n# comment\npass circle 0, 39:30:00, -104:45:00");
        write(dir.path("no newline.hex"), "\n:00000001FE");
        write(hex, hex_file_of(2));
        write(joined_hex, data_record(0, 16) + '\0' + data_record(16, 16, 16) + "\n:00000001FF\n");
        EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // nobody writes to it
    }
    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
};

std::vector<Case> all_cases(const Files& f, const Shown& s) {
    const std::string piece = ":" + std::string(254, '0');  // a long line is read 255 characters at a time
    std::vector<Case> cases;
    // An error message is followed by the command's failure.
    const auto failed = [](const std::string& message, const std::string& failure) {
        return message.rfind("\a\aError", 0) == 0 ? failure : std::string();
    };
    // Each name that is no usable file, given to each of the three commands.
    const auto each_command = [&](const std::string& what, const std::string& path, const std::string& conf,
                                  const std::string& rules, const std::string& firmware, bool opened,
                                  bool posix_only = false) {
        cases.push_back({"configure, " + what, "configure " + path + "\n", conf + failed(conf, CONF_FAILED),
                         opened ? &s.defaults : &s.example_config, false, posix_only});
        cases.push_back({"rules, " + what, "rules " + path + "\n", rules + failed(rules, RULES_FAILED),
                         opened ? &s.no_rules : &s.example_rules, true, posix_only});
        cases.push_back({"firmware, " + what, "firmware 1 " + path + "\ny\n", ASK + firmware + FW_FAILED,
                         &s.example_config, false, posix_only});
    };
    const auto cannot_open = [&](const std::string& what, const std::string& path, bool posix_only = false) {
        const std::string message = CANNOT + path + "\n";
        each_command(what, path, message, message, message, false, posix_only);
    };
    cannot_open("a folder", f.folder);
    cannot_open("a missing file", f.missing);
    cannot_open("a FIFO nobody writes to", f.fifo, true);
    cannot_open("/dev/zero", "/dev/zero", true);
    each_command("an empty file", f.empty, "Configuration items processed 0\n", "Rules processed 0, implicit 0\n",
                 "\a\aError: Firmware file is empty!\n" + HEX_BAD, true);
    each_command("1 MiB of random bytes", f.random, "\a\aError: line " + ANY,
                 "\a\aError: " + f.random + "[" + ANY,
                 "\a\aError: " + ANY + " for line " + ANY + " in Firmware file!\n" + HEX_BAD, true);
    each_command("a line of 100000 characters", f.long_line,
                 "\a\aError: line 1: command " + piece + " invalid: " + piece + "\n",
                 "\a\aError: " + f.long_line + "[1]: action " + piece + " invalid:\n" + piece + "\n",
                 "\a\aError: record line too long (100000 characters) for line 1 in Firmware file!\n" + HEX_BAD,
                 true);
    each_command("a name with blanks", f.blanks, "\a\aError: line 1: command :00000001FE invalid: :00000001FE\n",
                 "\a\aError: " + f.blanks + "[1]: action :00000001FE invalid:\n:00000001FE\n",
                 "\a\aError: checksum mismatch (0xff) for line 1 in Firmware file!\n" + HEX_BAD, true);
    const std::string no_newline = f.dir.path("no newline");
    cases.push_back({"configure, no final newline", "configure " + no_newline + ".cfg\n",
                     "\a\aError: line 3: invalid SSID argument range [0..15]: 16: ssid 16\n" + CONF_FAILED,
                     &s.defaults});
    cases.push_back({"rules, no final newline", "rules " + no_newline + ".rul\n",
                     "\a\aError: " + no_newline + ".rul[3]: invalid Circle Radius, must be > 0: 0.000000:\n"
                     "pass circle 0, 39:30:00, -104:45:00\n" + RULES_FAILED,
                     &s.no_rules, true});
    cases.push_back({"firmware, no final newline", "firmware 1 " + no_newline + ".hex\ny\n",
                     ASK + "\a\aError: checksum mismatch (0xff) for line 2 in Firmware file!\n" + HEX_BAD + FW_FAILED,
                     &s.example_config});
    // Two records run together with a NUL between them: the second one was
    // dropped unchecked, and an update without it reported success.
    cases.push_back({"firmware, a NUL inside a record line", "firmware 1 " + f.joined_hex + "\ny\n",
                     ASK + "\a\aError: not a hex digit (0x00) in column 44 for line 1 in Firmware file!\n" + HEX_BAD +
                         FW_FAILED,
                     &s.example_config});

    // Console lines: a NUL ends the text of its line, a CR before the line
    // feed goes, any other CR stays; a line over 255 characters runs nothing.
    const std::string missing_failed = CANNOT + f.missing + "\n" + CONF_FAILED;
    cases.push_back({"a NUL at the start of a line", std::string("\0configure ", 11) + f.missing + "\n", "",
                     &s.example_config});
    cases.push_back({"a NUL in the middle of a line", "configure " + f.missing + std::string("\0.cfg\n", 6),
                     missing_failed, &s.example_config});
    cases.push_back({"a NUL at the end of a line", "configure " + f.missing + std::string("\0\n", 2),
                     missing_failed, &s.example_config});
    cases.push_back({"a line of 10000 characters", "configure " + std::string(9990, 'x') + "\n",
                     "\a\aError: command line too long (max 255 characters)\n", &s.example_config});
    cases.push_back({"CR LF line ends", "rules " + RUL + "\r\n", RUL_READ, &s.example_rules, true});
    cases.push_back({"a lone CR inside a line", "configure " + CFG + "\rX\n",
                     CANNOT + CFG + "\rX\n" + CONF_FAILED, &s.example_config});
    cases.push_back({"download without a connection asks nothing", "download\n", "\a\aError: not Connected!\n",
                     &s.example_config});

    // The end of input at each question: the answer is no, except at the
    // Enter before a firmware update, where it is ignored as any answer is.
    cases.push_back({"end of input at the firmware confirmation", "firmware 1 " + f.random + "\n",
                     ASK + "\nKorrimatic Firmware will NOT be updated!\n", nullptr});
    cases.push_back({"end of input at the default-configuration question", "connect 1\ndownload\n",
                     ANY + "\aConnected at 57600\n" + P + Q_CONFIG + "\n" + ABORTED, nullptr, true, false,
                     Device::console});
    cases.push_back({"end of input at the default-rules question", "connect 1\ndownload\n",
                     ANY + "\aConnected at 4800\n" + P + Q_RULES + "\n" + ABORTED, nullptr, false, false,
                     Device::console});
    cases.push_back({"end of input at the Enter before a firmware update", "firmware 1 " + f.hex + "\ny\n",
                     ASK + ANY + "Type the Enter key when you are ready to continue...\nTo begin TURN ON" + ANY +
                         "Disconnected\n\a\aFirmware update succeeded!\n" + ANY,
                     nullptr, false, false, Device::loader});
    return cases;
}

// Runs the cases that are (or are not) POSIX-only, a few at a time: each
// mostly waits for the programs it starts.
void run_cases(bool posix_only) {
    const Files files;
    const Shown shown = control_run();
    const bool wine = under_wine();
    std::vector<Case> cases;
    for (const Case& c : all_cases(files, shown)) {
        if (c.posix_only == posix_only) cases.push_back(c);
    }
    struct Outcome {
        ProgramResult r;
        double took;
    };
    const std::vector<Outcome> outcomes = run_concurrently(cases, [&files, wine](const Case& c) {
        ProgramOptions options;
        options.timeout_seconds = wine ? 60 : 10;  // a hang fails instead of blocking
        options.env = {{"KORRIMATIC_COM1", files.dir.path("no such port")}};
        std::unique_ptr<KorrisimProcess> device;
        if (c.device != Device::none) {
            device = std::make_unique<KorrisimProcess>(
                c.device == Device::loader ? std::vector<std::string>{"--mode=loader"} : std::vector<std::string>{});
            options.env = {{"KORRIMATIC_COM1", device->link()}};
        }
        const std::string input = (c.rules ? "rules " + RUL : "configure " + CFG) + "\n" + c.input +
                                  (c.shown ? (c.rules ? "drules\nx\n" : "dconfigure\nx\n") : "");
        const auto start = std::chrono::steady_clock::now();
        ProgramResult r = run_korrimatic(input, options);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        return Outcome{std::move(r), took.count()};
    }, 4);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const ProgramResult& r = outcomes[i].r;
        SCOPED_TRACE(c.name);
        const std::string expected = startup_text() + (c.rules ? RUL_READ : CFG_READ) + P + c.output + P +
                                     (c.shown ? *c.shown + P : "\n");
        EXPECT_TRUE(matches(r.out, expected)) << "got:\n" << visible(r.out) << "\nexpected:\n" << visible(expected);
        EXPECT_EQ(r.exit_status, c.shown ? 0 : 1);
        EXPECT_EQ(r.err, "");
        EXPECT_LT(outcomes[i].took, wine ? 30.0 : 5.0) << "a hang check, not a speed target";
    }
}

TEST(BadInput, FilesAndConsoleLines) { run_cases(false); }

TEST(BadInput, FifoAndDeviceNames) {
    SKIP_UNDER_WINE("has neither FIFOs nor /dev/zero behind a Windows file name");
    run_cases(true);
}

}  // namespace
