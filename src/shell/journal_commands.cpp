#include "shell/journal_commands.hpp"

#include <filesystem>
#include <fstream>

#include "config/config_parser.hpp"
#include "decode/config_decode.hpp"
#include "decode/image_diff.hpp"
#include "shell/journal_images.hpp"
#include "decode/rules_decode.hpp"
#include "journal/journal.hpp"
#include "rules/rules_process.hpp"
#include "shell/console.hpp"
#include "shell/shell_state.hpp"
#include "text/formatted.hpp"
#include "text/sink.hpp"

namespace {

// A file name made of the station: characters a file name cannot hold
// become '_'.
std::string file_stem(std::string station) {
    for (char& c : station)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            c = '_';
    return station.empty() ? std::string("station") : station;
}

bool write_text(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    return !f.fail();
}

std::string bytes_of(const void* p, std::size_t n) { return {static_cast<const char*>(p), n}; }

// The entry as a header says where it comes from.
std::string entry_header(const nlohmann::json& e) {
    return "entry " + entry_text(e, "entry") + " of the journal: " + entry_text(e, "kind") + " " +
           entry_text(e, "outcome") + " at " + entry_text(e, "time") + " on " + entry_text(e, "port");
}

std::vector<RuleRecord> records_of(const Station& s) {
    return {s.rule_table.slot, s.rule_table.slot + std::min<int>(s.config.rule_count, MAX_RULES)};
}

bool read_journal(const std::string& dir, JournalRead& journal, Sink& out) {
    if (dir.empty()) {
        out.printf("korrimatic: no journal folder can be named: give --journal-dir DIR\n");
        return false;
    }
    journal = journal_read(dir, out);
    return true;
}

}  // namespace

int decode_entry(const std::string& journal_dir, long number, const std::string& out_dir, Sink& out, Sink& err) {
    JournalRead journal;
    if (!read_journal(journal_dir, journal, err)) return JOURNAL_USE_ERROR;
    const nlohmann::json* entry = journal_entry(journal.entries, number);
    if (entry == nullptr) {
        err.printf("korrimatic: the journal in %s has no entry %ld\n", journal_dir.c_str(), number);
        return JOURNAL_USE_ERROR;
    }
    EntryImages images;
    std::string error;
    if (!entry_images(journal_dir, *entry, images, error)) {
        err.printf("korrimatic: %s\n", error.c_str());
        return JOURNAL_USE_ERROR;
    }
    std::vector<std::string> problems;
    const std::string header = entry_header(*entry);
    const std::string config_text = decode_config(images.config, header, problems);
    const std::string rules_text = decode_rules(images.config, images.rules, header, problems);
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    const std::string stem = out_dir + "/" + file_stem(config_station(images.config));
    const std::string config_path = stem + ".cfg";
    const std::string rules_path = stem + ".rul";
    if (!write_text(config_path, config_text) || !write_text(rules_path, rules_text)) {
        err.printf("korrimatic: cannot write %s and %s\n", config_path.c_str(), rules_path.c_str());
        return JOURNAL_USE_ERROR;
    }
    out.printf("Entry %ld decoded into %s and %s\n", number, config_path.c_str(), rules_path.c_str());
    for (const std::string& p : problems) err.printf("Warning: cannot be reproduced: %s\n", printable(p).c_str());

    // The proof: the parsers make the very images from the files.
    Station again;
    StringSink said;
    const bool parsed = rules_process(again, rules_path.c_str(), said) == 0 &&
                        conf_process(again, config_path.c_str(), said) == 0;
    const bool same = parsed && bytes_of(&again.config, sizeof again.config) == bytes_of(&images.config, sizeof images.config) &&
                      again.config.rule_count == images.rules.size() &&
                      bytes_of(again.rule_table.slot, images.rules.size() * sizeof(RuleRecord)) ==
                          bytes_of(images.rules.data(), images.rules.size() * sizeof(RuleRecord));
    if (!same) {
        err.printf("Warning: configure and rules do not make the images of entry %ld from these files again\n", number);
        if (!parsed) err.put(said.text());
        return DECODE_INEXACT;
    }
    out.printf("configure and rules make the two images of entry %ld from them again, byte for byte\n", number);
    return problems.empty() ? DECODE_DONE : DECODE_INEXACT;
}

int diff_files(const std::string& journal_dir, const char* config_file, const char* rules_file, long number, Sink& out,
               Sink& err) {
    Station files;
    StringSink said;
    if (conf_process(files, config_file, said) != 0 || rules_process(files, rules_file, said) != 0) {
        err.put(said.text());
        return JOURNAL_USE_ERROR;
    }
    JournalRead journal;
    if (!read_journal(journal_dir, journal, err)) return JOURNAL_USE_ERROR;
    const nlohmann::json* entry = number > 0 ? journal_entry(journal.entries, number)
                                             : last_download_to(journal_dir, journal.entries, files.config);
    if (entry == nullptr) {
        if (number > 0) err.printf("korrimatic: the journal in %s has no entry %ld\n", journal_dir.c_str(), number);
        else
            err.printf("korrimatic: the journal in %s holds no succeeded download to %s\n", journal_dir.c_str(),
                       printable(config_station(files.config)).c_str());
        return JOURNAL_USE_ERROR;
    }
    EntryImages held;
    std::string error;
    if (!entry_images(journal_dir, *entry, held, error)) {
        err.printf("korrimatic: %s\n", error.c_str());
        return JOURNAL_USE_ERROR;
    }
    const ImageDiff d = diff_images(held.config, held.rules, files.config, records_of(files));
    for (const std::string& line : d.lines) out.printf("%s\n", line.c_str());
    const std::string against = "entry " + entry_text(*entry, "entry") + " (" + entry_text(*entry, "time") + ")";
    if (d.same_bytes) {
        out.printf("No change against %s\n", against.c_str());
        return DIFF_SAME;
    }
    out.printf("%d field%s and %d rule%s would change against %s\n", d.fields, d.fields == 1 ? "" : "s", d.rules,
               d.rules == 1 ? "" : "s", against.c_str());
    return DIFF_CHANGES;
}

std::string download_journal_line(const std::string& journal_dir, const ConfigRecord& config, const RuleTable& table) {
    if (journal_dir.empty()) return {};
    StringSink warnings;
    const JournalRead journal = journal_read(journal_dir, warnings);
    const std::string station = printable(config_station(config));
    const nlohmann::json* entry = last_download_to(journal_dir, journal.entries, config);
    if (entry == nullptr) return "Journal: the first download to " + station + " in the journal";
    EntryImages held;
    std::string error;
    const std::string when = "entry " + entry_text(*entry, "entry") + " at " + entry_text(*entry, "time");
    if (!entry_images(journal_dir, *entry, held, error)) return "Journal: last download to " + station + " was " + when + "; " + error;
    const std::vector<RuleRecord> rules(table.slot, table.slot + std::min<int>(config.rule_count, MAX_RULES));
    const ImageDiff d = diff_images(held.config, held.rules, config, rules);
    if (d.same_bytes) return "Journal: no change since " + when + ", the last download to " + station;
    return formatted("Journal: last download to %s was %s; this one changes %d field%s and %d rule%s", station.c_str(),
                     when.c_str(), d.fields, d.fields == 1 ? "" : "s", d.rules, d.rules == 1 ? "" : "s");
}

void terminal_download_journal(ShellState& shell, const ConfigRecord& config, const RuleTable& table) {
    if (!console_at_terminal(shell.console) || shell.journal_dir.empty()) return;
    const std::string line = download_journal_line(shell.journal_dir, config, table);
    if (!line.empty()) shell.out->printf("%s\n", line.c_str());
}
