// korri_soak: many downloads and firmware updates of the built korrimatic
// against korrisim, each with faults drawn from its own seed, alone and
// combined. Every run is checked:
//   - a success printed means the device holds exactly the utility's images
//     (the download's images computed here with the product's own parsers,
//     the firmware image as srec_cat makes it from the same file);
//   - a failure prints exactly the messages of the step that failed,
//     "Disconnected" and the prompt, and never a success text;
//   - no run takes longer than its waits allow (soak_models.hpp).
// It prints a table by kind of fault and, for every bad run, the command that
// replays it alone. Exit status 1 when any run was bad.
//
//   korri_soak [--downloads=N] [--firmware=N] [--seed=S] [--jobs=J] [--runs=N] [--verbose]

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/config_parser.hpp"
#include "station/config_record.hpp"
#include "download/download_texts.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "station/station.hpp"
#include "soak_inputs.hpp"
#include "soak_models.hpp"
#include "support/files.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"
#include "support/sim_session.hpp"
#include "text/sink.hpp"

namespace {

struct SoakOptions {
    long downloads = 40;
    long firmware = 20;
    uint64_t seed = 1;
    long runs = -1;  // only the first N runs of the sequence
    int jobs = 2;
    bool verbose = false;
};

enum class RunKind { download, firmware };

// Everything a run needs, drawn and worked out before it starts.
struct Plan {
    RunKind kind = RunKind::download;
    uint64_t seed = 0;
    DrawnFaults faults;
    // download
    std::string config_text, rules_text;  // empty: no file, the question is answered yes
    long rate = 57600;
    std::string want_config, want_rules;
    // firmware
    std::string hex_text;
    Expectation expected;
    double connect_bound_ms = 0;
};

struct Result {
    bool success_printed = false;
    bool silent_corruption = false;
    bool wrong_path = false;
    bool over_time = false;
    double ms = 0, bound_ms = 0;
    std::string detail;  // what went wrong
};

const std::string DOWNLOAD_SUCCEEDED = "Downloading Configuration succeeded\nDownloading Rules succeeded\n";

// Waits past a step's bound before a run counts as hung.
constexpr int HANG_GRACE_MS = 15000;

int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The images the utility sends after reading the files, worked out here with
// the product's own parsers (their messages go nowhere).
bool utility_images(const ScratchDir& scratch, const Plan& p, std::string& config_image, std::string& rules_image) {
    const std::string cfg = scratch.path("station.cfg"), rul = scratch.path("station.rul");
    write_file(cfg, p.config_text);
    write_file(rul, p.rules_text);
    StringSink quiet;
    Station station;
    bool ok = (p.config_text.empty() || conf_process(station, cfg.c_str(), quiet) == 0) &&
              (p.rules_text.empty() || rules_process(station, rul.c_str(), quiet) == 0);
    const ConfigRecord& config = station.config;
    const ConfigRecord image = p.config_text.empty() ? defaults_keeping_rule_fields(config) : config;
    config_image.assign(reinterpret_cast<const char*>(&image), sizeof image);
    rules_image.assign(reinterpret_cast<const char*>(station.rule_table.slot), config.rule_count * sizeof(RuleRecord));
    return ok;
}

Plan plan_download(uint64_t seed, const ScratchDir& scratch) {
    Plan p;
    p.kind = RunKind::download;
    p.seed = seed;
    Rng rng(seed);
    static const long rates[] = {4800, 9600, 19200, 38400, 57600};
    p.rate = rates[std::uniform_int_distribution<int>(0, 4)(rng)];
    if (std::uniform_int_distribution<int>(0, 9)(rng) != 0) p.config_text = random_config_file(rng);
    if (std::uniform_int_distribution<int>(0, 9)(rng) != 0) p.rules_text = random_rules_file(rng);
    if (!utility_images(scratch, p, p.want_config, p.want_rules)) {
        std::fprintf(stderr, "korri_soak: seed %llu draws files the utility refuses:\n%s\n%s\n",
                     static_cast<unsigned long long>(seed), p.config_text.c_str(), p.rules_text.c_str());
        std::exit(2);
    }
    DownloadFaultPlan faults;
    p.faults = random_download_faults(rng, download_packet_lengths(p.want_rules.size()), faults);
    p.expected = expect_download(faults, p.want_rules.size(), p.rate, p.config_text.empty(), p.rules_text.empty());
    p.connect_bound_ms = connect_bound_ms(p.rate, faults.pace);
    return p;
}

Plan plan_firmware(uint64_t seed) {
    Plan p;
    p.kind = RunKind::firmware;
    p.seed = seed;
    Rng rng(seed);
    std::vector<HexLine> records;
    p.hex_text = random_hex_file(rng, records);
    // A draw whose outcome would hang on scheduling is drawn again.
    do {
        LoaderFaultPlan faults;
        p.faults = random_loader_faults(rng, records, faults);
        p.expected = expect_firmware(faults, records);
    } while (p.expected.ambiguous);
    return p;
}

std::string options_text(const Plan& p) {
    std::string text;
    for (const std::string& o : p.faults.options) text += (text.empty() ? "" : " ") + o;
    return text.empty() ? "no fault" : text;
}

// The first place where two texts differ, both shown from a little before it.
std::string difference(const std::string& want, const std::string& got) {
    std::size_t at = 0;
    while (at < want.size() && at < got.size() && want[at] == got[at]) ++at;
    const std::size_t from = at > 80 ? at - 80 : 0;
    return "expected ..." + visible(want.substr(from, 240)) + "\n    got ..." + visible(got.substr(from, 240));
}

// The "Error: ..." lines of the output, in order.
std::vector<std::string> error_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find("Error: ");
        if (at != std::string::npos) lines.push_back(line.substr(at));
    }
    return lines;
}

// The last `count` lines of a text.
std::string last_lines(const std::string& text, int count) {
    std::size_t at = text.size();
    for (int n = 0; n <= count && at != std::string::npos && at > 0; ++n) at = text.rfind('\n', at - 1);
    return at == std::string::npos ? text : text.substr(at + 1);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

Result run_download(const Plan& p) {
    Result r;
    std::vector<std::string> options = {"--config-out={folder}/device-config.bin",
                                        "--rules-out={folder}/device-rules.bin"};
    options.insert(options.end(), p.faults.options.begin(), p.faults.options.end());
    SimSession s(options);
    s.start_utility(1);
    if (!p.config_text.empty()) {
        write_file(s.path("station.cfg"), p.config_text);
        s.type("configure " + s.path("station.cfg"));
    }
    if (!p.rules_text.empty()) {
        write_file(s.path("station.rul"), p.rules_text);
        s.type("rules " + s.path("station.rul"));
    }
    const std::string rate = std::to_string(p.rate);
    r.bound_ms = p.connect_bound_ms + p.expected.bound_ms;
    int64_t start = now_us();
    s.type("connect 1 " + rate);
    if (!s.wait_for("\aConnected at " + rate + "\nCommand> ", static_cast<int>(p.connect_bound_ms) + HANG_GRACE_MS)) {
        r.wrong_path = true;
        r.detail = "connect did not connect: ..." + visible(s.out().substr(s.out().size() > 300 ? s.out().size() - 300 : 0));
        s.finish(5000);
        return r;
    }
    const double connect_ms = static_cast<double>(s.found_us() - start) / 1000.0;
    const std::size_t mark = s.out().size();
    start = now_us();
    s.type("download");
    if (p.config_text.empty()) s.type("yes");
    if (p.rules_text.empty()) s.type("y");
    const bool ended = s.wait_for("Disconnected\nCommand> ", static_cast<int>(p.expected.bound_ms) + HANG_GRACE_MS);
    r.ms = connect_ms + static_cast<double>((ended ? s.found_us() : now_us()) - start) / 1000.0;
    const std::string step = s.out().substr(mark);
    s.type("exit");
    s.finish(10000);
    s.wait_for_log("download receiver ended", 10000);
    r.over_time = !ended || r.ms > r.bound_ms;
    r.success_printed = step.find(DOWNLOAD_SUCCEEDED + ENDING) != std::string::npos;
    if (r.success_printed) {
        const std::string config = read_file(s.path("device-config.bin"));
        const std::string rules = read_file(s.path("device-rules.bin"));
        if (config != p.want_config || rules != p.want_rules) {
            r.silent_corruption = true;
            r.detail += "success printed, but the device holds a configuration of " + std::to_string(config.size()) +
                        " bytes (" + (config == p.want_config ? "equal" : "different") + ") and rules of " +
                        std::to_string(rules.size()) + " bytes (" + (rules == p.want_rules ? "equal" : "different") +
                        ")\n  ";
        }
    }
    if (step != p.expected.text) {
        r.wrong_path = true;
        r.detail += difference(p.expected.text, step) + "\n  ";
    }
    if (r.silent_corruption || r.wrong_path) r.detail += "device log (end):\n" + last_lines(s.sim_log(), 40);
    return r;
}

Result run_firmware(const Plan& p) {
    Result r;
    std::vector<std::string> options = {"--mode=loader", "--image-out={folder}/image.bin"};
    options.insert(options.end(), p.faults.options.begin(), p.faults.options.end());
    SimSession s(options);
    const std::string hex = s.path("firmware.hex"), reference = s.path("reference.bin");
    write_file(hex, p.hex_text);
    const ProgramResult srec = run_program("/usr/bin/env", {"srec_cat", hex, "-intel", "-o", reference, "-binary"}, "");
    if (srec.exit_status != 0) {
        r.wrong_path = true;
        r.detail = "srec_cat refused the file: " + srec.err;
        return r;
    }
    s.start_utility(1);
    s.wait_for("Command> ");
    const std::size_t mark = s.out().size();
    r.bound_ms = p.expected.bound_ms;
    const int64_t start = now_us();
    for (const std::string& line : {"firmware 1 " + hex, std::string("y"), std::string()}) s.type(line);
    const bool ended = s.wait_for("Disconnected\n", static_cast<int>(p.expected.bound_ms) + HANG_GRACE_MS) &&
                       s.wait_for("Command> ", 5000);
    r.ms = static_cast<double>((ended ? s.found_us() : now_us()) - start) / 1000.0;
    const std::string step = s.out().substr(mark);
    s.type("exit");
    s.finish(10000);
    s.wait_for_log("firmware loader ended", 10000);
    r.over_time = !ended || r.ms > r.bound_ms;
    r.success_printed = step.find("Firmware update succeeded!") != std::string::npos;
    if (r.success_printed && read_file(s.path("image.bin")) != read_file(reference)) {
        r.silent_corruption = true;
        r.detail += "success printed, but the loader's image differs from srec_cat's\n  ";
    }
    const std::vector<std::string> errors = error_lines(step);
    const std::string& closing = p.expected.text;
    const bool closes = step.size() >= closing.size() && step.compare(step.size() - closing.size(), closing.size(), closing) == 0;
    if (errors != p.expected.errors || !closes || r.success_printed != p.expected.success) {
        r.wrong_path = true;
        r.detail += "expected errors:\n" + joined(p.expected.errors) + "  got errors:\n" + joined(errors) +
                    "  closing text: ..." + visible(step.substr(step.size() > 300 ? step.size() - 300 : 0)) + "\n  ";
    }
    if (r.silent_corruption || r.wrong_path) r.detail += "device log (end):\n" + last_lines(s.sim_log(), 40);
    return r;
}

Result run_plan(const Plan& p) {
    try {
        return p.kind == RunKind::download ? run_download(p) : run_firmware(p);
    } catch (const std::exception& e) {
        Result r;
        r.wrong_path = true;
        r.detail = std::string("the run could not be made: ") + e.what();
        return r;
    }
}

bool bad(const Result& r) { return r.silent_corruption || r.wrong_path || r.over_time; }

struct Row {
    long runs = 0, succeeded = 0, failed = 0, silent = 0, wrong = 0, over = 0;
    void add(const Result& r) {
        ++runs;
        ++(r.success_printed ? succeeded : failed);
        silent += r.silent_corruption;
        wrong += r.wrong_path;
        over += r.over_time;
    }
};

void print_table(const char* title, const std::vector<Plan>& plans, const std::vector<Result>& results, RunKind kind) {
    Row rows[FAULT_KINDS], none, combined, all;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].kind != kind) continue;
        const unsigned kinds = plans[i].faults.kinds;
        int faults = 0;
        for (unsigned k = 0; k < FAULT_KINDS; ++k) {
            if ((kinds & (1u << k)) == 0) continue;
            rows[k].add(results[i]);
            if (k != PACED_LINE) ++faults;
        }
        if (faults == 0) none.add(results[i]);
        if (faults >= 2) combined.add(results[i]);
        all.add(results[i]);
    }
    if (all.runs == 0) return;
    std::printf("%-22s %6s %10s %7s %18s %11s %10s\n", title, "runs", "succeeded", "failed", "silent corruptions",
                "wrong path", "over time");
    auto line = [](const char* name, const Row& r) {
        if (r.runs == 0) return;
        std::printf("  %-20s %6ld %10ld %7ld %18ld %11ld %10ld\n", name, r.runs, r.succeeded, r.failed, r.silent,
                    r.wrong, r.over);
    };
    line("no fault", none);
    for (unsigned k = 0; k < FAULT_KINDS; ++k) line(fault_kind_name(k), rows[k]);
    line("combined (2 or more)", combined);
    line("all", all);
}

bool parse_options(int argc, char** argv, SoakOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : a.substr(eq + 1);
        char* end = nullptr;
        const long long number = value.empty() ? 0 : std::strtoll(value.c_str(), &end, 10);
        const bool numeric = !value.empty() && *end == '\0' && number >= 0;
        if (name == "--verbose" && value.empty()) o.verbose = true;
        else if (!numeric) return false;
        else if (name == "--downloads") o.downloads = static_cast<long>(number);
        else if (name == "--firmware") o.firmware = static_cast<long>(number);
        else if (name == "--seed") o.seed = static_cast<uint64_t>(number);
        else if (name == "--runs") o.runs = static_cast<long>(number);
        else if (name == "--jobs" && number >= 1) o.jobs = static_cast<int>(number);
        else return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SoakOptions o;
    if (!parse_options(argc, argv, o)) {
        std::fprintf(stderr, "Usage: korri_soak [--downloads=N] [--firmware=N] [--seed=S] [--jobs=J] [--runs=N] "
                             "[--verbose]\n"
                             "  runs N downloads (40) and N firmware updates (20) against korrisim with random\n"
                             "  faults drawn from seeds S, S+1, ... (1), J at once (2); --runs=N makes only the\n"
                             "  first N of them\n");
        return 2;
    }
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0 && o.firmware > 0) {
        std::fprintf(stderr, "korri_soak: srec_cat is needed (Debian package srecord)\n");
        return 2;
    }
    long total = o.downloads + o.firmware;
    if (o.runs >= 0 && o.runs < total) total = o.runs;

    std::vector<Plan> plans;
    {
        ScratchDir scratch;
        for (long i = 0; i < total; ++i) {
            const uint64_t seed = o.seed + static_cast<uint64_t>(i);
            plans.push_back(i < o.downloads ? plan_download(seed, scratch) : plan_firmware(seed));
        }
    }
    std::vector<Result> results(plans.size());
    std::atomic<std::size_t> next{0};
    std::atomic<long> done{0};
    std::mutex print_mutex;
    const int64_t started = now_us();
    auto worker = [&] {
        for (std::size_t i; (i = next++) < plans.size();) {
            results[i] = run_plan(plans[i]);
            const long finished = ++done;
            std::lock_guard<std::mutex> lock(print_mutex);
            const Plan& p = plans[i];
            const Result& r = results[i];
            if (o.verbose || bad(r)) {
                std::printf("%s seed %llu (%s): %s in %.0f ms (bound %.0f ms)%s%s%s\n",
                            p.kind == RunKind::download ? "download" : "firmware",
                            static_cast<unsigned long long>(p.seed), options_text(p).c_str(),
                            r.success_printed ? "succeeded" : "failed", r.ms, r.bound_ms,
                            r.silent_corruption ? ", SILENT CORRUPTION" : "", r.wrong_path ? ", WRONG PATH" : "",
                            r.over_time ? ", OVER TIME" : "");
            }
            if (finished % 20 == 0) std::fprintf(stderr, "korri_soak: %ld of %zu runs done\n", finished, plans.size());
        }
    };
    std::vector<std::thread> threads;
    for (int j = 0; j < o.jobs; ++j) threads.emplace_back(worker);
    for (std::thread& t : threads) t.join();
    const double seconds = static_cast<double>(now_us() - started) / 1e6;

    long downloads = 0, bad_runs = 0;
    for (const Plan& p : plans) downloads += p.kind == RunKind::download;
    std::printf("\nkorri_soak: %zu runs (%ld downloads, %ld firmware updates), seeds %llu to %llu, %d at once, "
                "%.1f s\n\n",
                plans.size(), downloads, static_cast<long>(plans.size()) - downloads,
                static_cast<unsigned long long>(o.seed), static_cast<unsigned long long>(o.seed + plans.size() - 1),
                o.jobs, seconds);
    print_table("download", plans, results, RunKind::download);
    print_table("firmware update", plans, results, RunKind::firmware);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (!bad(results[i])) continue;
        if (bad_runs++ == 0) std::printf("\nBad runs, each with the command that replays it alone:\n");
        const Plan& p = plans[i];
        std::printf("  %s --seed=%llu --runs=1 --downloads=%d --firmware=%d   (%s)\n    %s\n", argv[0],
                    static_cast<unsigned long long>(p.seed), p.kind == RunKind::download ? 1 : 0,
                    p.kind == RunKind::download ? 0 : 1, options_text(p).c_str(), results[i].detail.c_str());
    }
    if (bad_runs == 0) std::printf("\nNo silent corruption, no wrong path, no run over its time.\n");
    return bad_runs == 0 ? 0 : 1;
}
