// --diff and --decode against a journal written in a scratch folder: entries
// as the journal holds them and the images they name.
#include "shell/journal_commands.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "config/config_parser.hpp"
#include "journal/journal.hpp"
#include "rules/rules_process.hpp"
#include "support/files.hpp"
#include "support/scratch_dir.hpp"
#include "text/sink.hpp"

namespace {

const std::string CONFIG = "call n0call\nssid 10\nposition 39.396D -104.75D\nbeacon 600\n";
const std::string RULES = "drop implicit\npass destin APRS\ndrop circle 25, 39:30:00, -104:45:00\n";

// A journal of downloads, written as the journal writes it.
class Journal {
public:
    // Appends a download entry of the two files, as sent and stored.
    // `change` alters the configuration image after the files made it.
    void download(const std::string& config, const std::string& rules, const char* outcome = "succeeded",
                  const std::function<void(ConfigRecord&)>& change = {}) {
        Station s;
        write_file(dir_.path("in.cfg"), config);
        write_file(dir_.path("in.rul"), rules);
        StringSink said;
        ASSERT_EQ(conf_process(s, dir_.path("in.cfg").c_str(), said), 0) << said.text();
        ASSERT_EQ(rules_process(s, dir_.path("in.rul").c_str(), said), 0) << said.text();
        if (change) change(s.config);
        const std::string config_sha = store(&s.config, sizeof s.config);
        const std::string rules_sha = store(s.rule_table.slot, s.config.rule_count * sizeof(RuleRecord));
        nlohmann::json e = {{"entry", ++entries_}, {"time", "2026-12-0" + std::to_string(entries_) + "T10:00:00Z"},
                            {"kind", "download"}, {"outcome", outcome}, {"port", "COM3"},
                            {"station", "?"}, {"config_sha256", config_sha}, {"rules_sha256", rules_sha}};
        lines_ += e.dump() + "\n";
        write_file(dir_.path("journal/journal.jsonl"), lines_);
    }
    std::string dir() const { return dir_.path("journal"); }
    std::string path(const char* name) const { return dir_.path(name); }

private:
    std::string store(const void* data, std::size_t size) {
        const std::string sha = sha256_hex(data, size);
        std::filesystem::create_directories(dir() + "/images");
        write_file(journal_image_path(dir(), sha), std::string(static_cast<const char*>(data), size));
        return sha;
    }
    ScratchDir dir_;
    int entries_ = 0;
    std::string lines_;
};

TEST(JournalCommands, DiffTellsWhatADownloadOfTheFilesWouldChange) {
    Journal journal;
    journal.download(CONFIG, RULES);
    journal.download("call W1AW\n", "");
    journal.download(CONFIG + "beacon 900\n", RULES, "failed");  // not what the device holds
    const struct {
        const char* name;
        std::string config;
        std::string rules;
        long entry;
        int status;
        std::string out;
    } cases[] = {
        {"no change", CONFIG, RULES, 0, DIFF_SAME, "No change against entry 1 (2026-12-01T10:00:00Z)\n"},
        {"one field", CONFIG + "beacon 900\n", RULES, 0, DIFF_CHANGES,
         "Beacon: 600 -> 900\n1 field and 0 rules would change against entry 1 (2026-12-01T10:00:00Z)\n"},
        {"a flag", CONFIG + "relaydrop yes\n", RULES, 0, DIFF_CHANGES,
         "Relay Drop: Disabled -> Enabled\n1 field and 0 rules would change against entry 1 (2026-12-01T10:00:00Z)\n"},
        {"one rule added", CONFIG, RULES + "pass source N0*\n", 0, DIFF_CHANGES,
         "Rule count: 2 -> 3\nrule added at line 4: pass source N0*\n"
         "1 field and 1 rule would change against entry 1 (2026-12-01T10:00:00Z)\n"},
        {"one rule removed", CONFIG, "drop implicit\n\ndrop circle 25, 39:30:00, -104:45:00\n", 0, DIFF_CHANGES,
         "Rule count: 2 -> 1\nrule removed (was line 2): pass destin APRS\n"
         "1 field and 1 rule would change against entry 1 (2026-12-01T10:00:00Z)\n"},
        {"one rule changed and one moved", CONFIG, "drop implicit\n\npass destin APRS\ndrop circle 30, 39:30:00, -104:45:00\n",
         0, DIFF_CHANGES,
         "rule changed at line 4: drop circle 30, 39.5D, -104.75D (was line 3: drop circle 25, 39.5D, -104.75D)\n"
         "1 unchanged rule stands on other lines (the device keeps each rule's line)\n"
         "0 fields and 1 rule would change against entry 1 (2026-12-01T10:00:00Z)\n"},
        {"a station downloaded to before", "call w1aw\n", "", 0, DIFF_SAME, "No change against entry 2 (2026-12-02T10:00:00Z)\n"},
        {"an entry named", "call w1aw\n", "", 1, DIFF_CHANGES, ""},
        {"a different station", "call k0abc\nssid 10\n", RULES, 0, JOURNAL_USE_ERROR,
         "korrimatic: the journal in " + journal.dir() + " holds no succeeded download to K0ABC-10\n"},
        {"a file that fails", "ssid 16\n", RULES, 0, JOURNAL_USE_ERROR, ""},
        {"no such entry", CONFIG, RULES, 9, JOURNAL_USE_ERROR,
         "korrimatic: the journal in " + journal.dir() + " has no entry 9\n"},
    };
    for (const auto& c : cases) {
        write_file(journal.path("new.cfg"), c.config);
        write_file(journal.path("new.rul"), c.rules);
        StringSink out;
        EXPECT_EQ(diff_files(journal.dir(), journal.path("new.cfg").c_str(), journal.path("new.rul").c_str(), c.entry, out, out),
                  c.status)
            << c.name << "\n" << out.text();
        if (!c.out.empty()) {
            EXPECT_EQ(out.text(), c.out) << c.name;
        }
    }
}

// The line a download at the terminal shows before its "To send" line.
TEST(JournalCommands, ADownloadSaysWhatItChangesSinceTheLastOneToTheStation) {
    Journal journal;
    journal.download(CONFIG, RULES);
    const struct {
        std::string config;
        std::string rules;
        std::string line;
    } cases[] = {
        {CONFIG, RULES, "Journal: no change since entry 1 at 2026-12-01T10:00:00Z, the last download to N0CALL-10"},
        {CONFIG + "beacon 900\nbcomment hi\n", RULES,
         "Journal: last download to N0CALL-10 was entry 1 at 2026-12-01T10:00:00Z; this one changes 2 fields and 0 rules"},
        {CONFIG, RULES + "pass source N0*\n",
         "Journal: last download to N0CALL-10 was entry 1 at 2026-12-01T10:00:00Z; this one changes 1 field and 1 rule"},
        {"call n0call\nssid 11\n", RULES, "Journal: the first download to N0CALL-11 in the journal"},
    };
    for (const auto& c : cases) {
        Station s;
        write_file(journal.path("new.cfg"), c.config);
        write_file(journal.path("new.rul"), c.rules);
        StringSink said;
        ASSERT_EQ(conf_process(s, journal.path("new.cfg").c_str(), said), 0);
        ASSERT_EQ(rules_process(s, journal.path("new.rul").c_str(), said), 0);
        EXPECT_EQ(download_journal_line(journal.dir(), s.config, s.rule_table), c.line);
    }
    EXPECT_EQ(download_journal_line("", default_config, RuleTable{}), "") << "no journal, no line";
}

TEST(JournalCommands, DecodeWritesFilesThatMakeTheEntrysImagesAgain) {
    Journal journal;
    journal.download(CONFIG, RULES);
    StringSink out;
    const std::string folder = journal.path("decoded");
    ASSERT_EQ(decode_entry(journal.dir(), 1, folder, out, out), DECODE_DONE) << out.text();
    EXPECT_EQ(out.text(), "Entry 1 decoded into " + folder + "/N0CALL-10.cfg and " + folder +
                              "/N0CALL-10.rul\nconfigure and rules make the two images of entry 1 from them again, "
                              "byte for byte\n");
    const std::string rules = read_file(folder + "/N0CALL-10.rul");
    EXPECT_EQ(rules, "# entry 1 of the journal: download succeeded at 2026-12-01T10:00:00Z on COM3\n"
                     "pass destin APRS\ndrop circle 25, 39.5D, -104.75D\ndrop implicit\n");
    EXPECT_EQ(read_file(folder + "/N0CALL-10.cfg").rfind("# entry 1 of the journal", 0), 0u);
    // The decoded files are what the device holds: no change against it.
    StringSink diff;
    EXPECT_EQ(diff_files(journal.dir(), (folder + "/N0CALL-10.cfg").c_str(), (folder + "/N0CALL-10.rul").c_str(), 0, diff, diff),
              DIFF_SAME)
        << diff.text();
    // A stored image altered on the disk is refused, never decoded.
    for (const auto& f : std::filesystem::directory_iterator(journal.dir() + "/images")) {
        std::string bytes = read_file(f.path());
        if (bytes.size() != sizeof(ConfigRecord)) continue;
        bytes[40] ^= 1;
        ASSERT_TRUE(write_file(f.path(), bytes));
        StringSink refused;
        EXPECT_EQ(decode_entry(journal.dir(), 1, journal.path("again"), refused, refused), JOURNAL_USE_ERROR);
        EXPECT_EQ(refused.text(), "korrimatic: the configuration image of entry 1 does not match its hash: " +
                                      f.path().string() + "\n");
        EXPECT_FALSE(std::filesystem::exists(journal.path("again")));
    }
}

// The files are named for the station, with only the characters a file name
// can hold: an image's call sign never names another folder.
TEST(JournalCommands, DecodedFilesAreNamedForTheStationSafely) {
    Journal journal;
    journal.download(CONFIG, RULES, "succeeded", [](ConfigRecord& c) { std::memcpy(c.call_sign, "../A.", 6); });
    StringSink out;
    const std::string folder = journal.path("decoded");
    decode_entry(journal.dir(), 1, folder, out, out);
    EXPECT_TRUE(std::filesystem::exists(folder + "/___A_-10.rul")) << out.text();
}

}  // namespace
