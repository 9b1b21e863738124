// The built utility against korrisim: every download and firmware update that
// reached the device leaves one entry naming, by hash, the bytes the device
// stored; a journal that cannot be written costs one warning line and nothing
// else; a piped session without options writes nothing.
#ifdef KORRISIM_BIN

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "download/korrisim_process.hpp"
#include "journal/journal.hpp"
#include "support/concurrently.hpp"
#include "support/files.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"

namespace {

const std::string CFG = std::string(KORRI_SOURCE_DIR) + "/examples/station.cfg";
const std::string RUL = std::string(KORRI_SOURCE_DIR) + "/examples/station.rul";
const std::string HEX = std::string(KORRI_SOURCE_DIR) + "/examples/korrimatic-sample.hex";
const std::string FILES = "configure " + CFG + "\nrules " + RUL + "\n";
const std::string DOWNLOAD = "connect 1\ndownload\n";
const std::string DEFAULTS = "connect 1\ndownload\nyes\ny\n";
const std::string FIRMWARE = "firmware 1 " + HEX + "\ny\n\n";

std::string sha_of_file(const std::string& path) {
    const std::string bytes = read_file(path);
    return sha256_hex(bytes.data(), bytes.size());
}

// Where a case keeps its journal.
enum class Folder { given, under_a_file, xdg_default, none };

struct Case {
    const char* name;
    std::vector<std::string> sim;  // korrisim's options
    std::string input;
    Folder folder;
    std::vector<std::string> args;  // the utility's, besides --journal-dir
    // The entry expected (none when empty): outcome, result and step.
    const char* outcome;
    int result;
    int step;
    std::string prefill = "";  // the journal's text before the run
};

const Case CASES[] = {
    {"example files", {}, FILES + DOWNLOAD, Folder::given, {}, "succeeded", 0, 14},
    {"defaults, no rules", {}, DEFAULTS, Folder::given, {}, "succeeded", 0, 6},
    // Packets 1 conf, 2-4 configuration: the third goes unanswered.
    {"silent at packet 3", {"--dl-silent=3"}, FILES + DOWNLOAD, Folder::given, {}, "failed", -2, 3},
    {"five NAKs to the first packet", {"--dl-nak=1:5"}, FILES + DOWNLOAD, Folder::given, {}, "failed", -1, 1},
    {"firmware", {"--mode=loader", "--image-out={folder}/image.bin"}, FIRMWARE, Folder::given, {}, "succeeded", 0,
     259},
    {"firmware, fatal at record 50", {"--mode=loader", "--loader-errors=50:1:18"}, FIRMWARE, Folder::given, {},
     "failed", -13, 50},
    {"after a torn last line", {}, FILES + DOWNLOAD, Folder::given, {}, "succeeded", 0, 14,
     "{\"entry\":1,\"kind\":\"download\"}\n{\"entry\":2,\"time\":\"2026-"},
    {"a folder under a regular file", {}, FILES + DOWNLOAD, Folder::under_a_file, {}, nullptr, 0, 0},
    {"--script writes to the default folder", {}, FILES + DOWNLOAD, Folder::xdg_default, {"--script", "-"},
     "succeeded", 0, 14},
    {"piped without options writes nothing", {}, FILES + DOWNLOAD, Folder::xdg_default, {}, nullptr, 0, 0},
    {"--no-journal writes nothing", {}, FILES + DOWNLOAD, Folder::xdg_default, {"--script", "-", "--no-journal"},
     nullptr, 0, 0},
};

struct Outcome {
    ProgramResult run;
    std::string journal_dir;  // where the entry is looked for
    JournalRead read;
    std::string warnings;
    std::string stored_config, stored_rules, image;  // what the device stored
    std::string kept_config, kept_rules, kept_hex;   // what the journal keeps beside the last entry
    std::vector<std::string> written;  // every file under the scratch state folder
    std::string listing;
};

TEST(JournalEndToEnd, EachTransferIsRecordedWithTheBytesItSent) {
    ScratchDir scratch;  // outlives the concurrent runs
    const std::vector<Outcome> outcomes = run_concurrently(CASES, [&scratch](const Case& c) {
        KorrisimProcess device(c.sim);
        Outcome o;
        ProgramOptions options;
        options.timeout_seconds = 60;
        const std::string state = device.path("state");
        options.env = {{"KORRIMATIC_COM1", device.link()}, {"XDG_STATE_HOME", state}, {"HOME", device.path("home")}};
        options.utility_args = c.args;
        std::filesystem::create_directories(state);
        switch (c.folder) {
        case Folder::given: o.journal_dir = device.path("journal"); break;
        case Folder::under_a_file:
            // Unwritable even for root: nothing can be made under a regular file.
            write_file(device.path("plain"), "a file\n");
            o.journal_dir = device.path("plain") + "/journal";
            break;
        case Folder::xdg_default: o.journal_dir = state + "/korrimatic/journal"; break;
        case Folder::none: break;
        }
        if (c.folder != Folder::xdg_default) {
            options.utility_args.insert(options.utility_args.begin(), {"--journal-dir", o.journal_dir});
        }
        if (!c.prefill.empty()) {
            std::filesystem::create_directories(o.journal_dir);
            write_file(journal_file_path(o.journal_dir), c.prefill);
        }
        o.run = run_korrimatic(c.input + "exit\n", options);
        device.wait_for_log("download receiver ended", c.sim.empty() || c.sim[0] != "--mode=loader" ? 10000 : 1);
        StringSink warnings;
        o.read = journal_read(o.journal_dir, warnings);
        o.warnings = warnings.text();
        if (!o.read.entries.empty()) {
            const nlohmann::json& e = o.read.entries.back();
            const auto kept = [&](const char* field, bool firmware) {
                if (!e.contains(field)) return std::string();
                const std::string sha = e[field];
                return read_file(firmware ? journal_firmware_path(o.journal_dir, sha)
                                          : journal_image_path(o.journal_dir, sha));
            };
            o.kept_config = kept("config_sha256", false);
            o.kept_rules = kept("rules_sha256", false);
            o.kept_hex = kept("hex_sha256", true);
        }
        o.stored_config = read_file(device.path("config.bin"));
        o.stored_rules = read_file(device.path("rules.bin"));
        o.image = read_file(device.path("image.bin"));
        for (const auto& f : std::filesystem::recursive_directory_iterator(state)) o.written.push_back(f.path());
        ProgramOptions list = options;
        list.utility_args = {"--journal", "--journal-dir", o.journal_dir};
        o.listing = run_korrimatic("", list).out;
        return o;
    });
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const Case& c = CASES[i];
        const Outcome& o = outcomes[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(o.run.exit_status, 0) << visible(o.run.out);
        const int warning_lines = static_cast<int>(c.folder == Folder::under_a_file);
        std::size_t warnings_seen = 0;
        for (auto p = o.run.out.find("Warning: journal"); p != std::string::npos; p = o.run.out.find("Warning: journal", p + 1)) {
            ++warnings_seen;
        }
        EXPECT_EQ(warnings_seen, static_cast<std::size_t>(warning_lines)) << visible(o.run.out);
        if (c.outcome == nullptr) {
            EXPECT_TRUE(o.read.entries.empty());
            if (c.folder == Folder::xdg_default) { EXPECT_TRUE(o.written.empty()) << o.written.front(); }
            // The transfer went on as without a journal, its one warning line aside.
            std::string out = o.run.out;
            if (const auto w = out.find("\a\aWarning: journal " + o.journal_dir + ": "); w != std::string::npos) {
                out.erase(w, out.find('\n', w) + 1 - w);
            }
            EXPECT_NE(out.find("Downloading Rules succeeded\n\a\aPlease Power OFF"), std::string::npos)
                << visible(o.run.out);
            continue;
        }
        ASSERT_FALSE(o.read.entries.empty());
        const nlohmann::json& e = o.read.entries.back();
        const int number = c.prefill.empty() ? 1 : 2;
        EXPECT_EQ(o.read.entries.size(), static_cast<std::size_t>(number));
        EXPECT_EQ(o.read.torn_lines, c.prefill.empty() ? 0 : 1);
        EXPECT_EQ(e["entry"], number);
        EXPECT_EQ(e["outcome"], c.outcome);
        EXPECT_EQ(e["result"], c.result);
        EXPECT_EQ(e["step"], c.step);
        EXPECT_EQ(e["port"], "COM1");
        EXPECT_EQ(e["program_version"], "2.4a");
        EXPECT_EQ(std::string(e["time"]).size(), 20u);
        EXPECT_NE(o.listing.find(std::to_string(number) + "  " + std::string(e["time"])), std::string::npos)
            << o.listing;
        if (e["kind"] == "firmware") {
            EXPECT_EQ(e["rate"], 19200);
            EXPECT_EQ(e["hex_file"], HEX);
            EXPECT_EQ(e["hex_sha256"], sha_of_file(HEX));
            EXPECT_EQ(o.kept_hex, read_file(HEX));
            EXPECT_EQ(e["records"], c.result == 0 ? 259 : 49);
            if (c.result == 0) { EXPECT_EQ(e["image_sha256"], sha256_hex(o.image.data(), o.image.size())); }
            continue;
        }
        const bool files = c.input.find("configure") != std::string::npos;
        EXPECT_EQ(e["kind"], "download");
        EXPECT_EQ(e["device_version"], "2.5");
        EXPECT_EQ(e["rate"], files ? 4800 : 57600);
        EXPECT_EQ(e["station"], files ? "N0CALL-10" : "NOTSET-0");
        EXPECT_EQ(e["config_file"], files ? CFG : "defaults");
        EXPECT_EQ(e["rules_file"], files ? RUL : "none");
        EXPECT_EQ(e["config_file_sha256"], files ? nlohmann::json(sha_of_file(CFG)) : nlohmann::json());
        EXPECT_EQ(e["rules_file_sha256"], files ? nlohmann::json(sha_of_file(RUL)) : nlohmann::json());
        EXPECT_EQ(e["rule_count"], files ? 16 : 0);
        EXPECT_EQ(e["implicit"], "pass");
        // The images beside the entry are the bytes named by its hashes.
        const std::string& config = o.kept_config;
        const std::string& rules = o.kept_rules;
        EXPECT_EQ(config.size(), 166u);
        EXPECT_EQ(sha256_hex(config.data(), config.size()), e["config_sha256"]);
        EXPECT_EQ(sha256_hex(rules.data(), rules.size()), e["rules_sha256"]);
        if (c.result == 0) {
            // What the device stored, byte for byte.
            EXPECT_EQ(e["config_sha256"], sha256_hex(o.stored_config.data(), o.stored_config.size()));
            EXPECT_EQ(e["rules_sha256"], sha256_hex(o.stored_rules.data(), o.stored_rules.size()));
        }
    }
}

}  // namespace

#endif
