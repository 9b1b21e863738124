#include "journal/journal.hpp"
#include "journal/journal_listing.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>

#include "station/station.hpp"

#include "support/files.hpp"
#include "support/scratch_dir.hpp"

namespace {

TEST(Sha256, KnownDigests) {
    const struct {
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& c : cases) EXPECT_EQ(sha256_hex(c.bytes.data(), c.bytes.size()), c.digest);
}

// What the reader keeps of a journal's text, and how many torn lines it warns of.
TEST(JournalRead, KeepsEveryWholeLineAndSkipsTornOnes) {
    const struct {
        const char* name;
        std::string text;
        std::vector<int> entries;
        int torn;
    } cases[] = {
        {"two whole", "{\"entry\":1}\n{\"entry\":2}\n", {1, 2}, 0},
        {"torn last line", "{\"entry\":1}\n{\"entry\":2}\n{\"entry\":3,\"ki", {1, 2}, 1},
        {"torn line then a later append", "{\"entry\":1}\n{\"entry\":2,\"ki\n{\"entry\":2}\n", {1, 2}, 1},
        {"blank lines and CR LF", "\n{\"entry\":1}\r\n\n", {1}, 0},
        {"last line whole without its line feed", "{\"entry\":1}\n{\"entry\":2}", {1, 2}, 0},
        {"not an object", "[1]\n{\"entry\":1}\n", {1}, 1},
        {"empty", "", {}, 0},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        ASSERT_TRUE(write_file(journal_file_path(dir.folder()), c.text));
        StringSink warnings;
        const JournalRead read = journal_read(dir.folder(), warnings);
        std::vector<int> numbers;
        for (const nlohmann::json& e : read.entries) numbers.push_back(e.at("entry").get<int>());
        EXPECT_EQ(numbers, c.entries) << c.name;
        EXPECT_EQ(read.torn_lines, c.torn) << c.name;
        EXPECT_EQ(warnings.text().find("torn") != std::string::npos, c.torn > 0) << c.name << warnings.text();
    }
}

TEST(JournalRead, AMissingJournalIsEmptyAndQuiet) {
    ScratchDir dir;
    StringSink warnings;
    EXPECT_TRUE(journal_read(dir.path("none"), warnings).entries.empty());
    EXPECT_EQ(warnings.text(), "");
}

TEST(JournalAppend, NumbersAfterTheHighestEntryAndStartsOnANewLineAfterATornOne) {
    ScratchDir dir;
    const std::string folder = dir.path("j");
    std::string why;
    nlohmann::ordered_json first = {{"entry", 0}, {"kind", "download"}};
    EXPECT_EQ(journal_append(folder, first, why), 1) << why;
    // Power lost in the middle of the next line.
    std::string text = read_file(journal_file_path(folder)) + "{\"entry\":2,\"kind\":\"fi";
    ASSERT_TRUE(write_file(journal_file_path(folder), text));
    nlohmann::ordered_json second = {{"entry", 0}, {"kind", "firmware"}, {"name", "\xff bad UTF-8"}};
    EXPECT_EQ(journal_append(folder, second, why), 2) << why;
    StringSink warnings;
    const JournalRead read = journal_read(folder, warnings);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.torn_lines, 1);
    EXPECT_EQ(read.entries[1]["kind"], "firmware");
    EXPECT_EQ(read_file(journal_file_path(folder)).substr(0, 11), "{\"entry\":1,");
}

// Two processes append at once: every line whole, every number given once,
// each writer's entries in its own order.
TEST(JournalAppend, TwoWritersAtOnceNeverInterleave) {
    ScratchDir dir;
    const std::string folder = dir.path("j");
    constexpr int EACH = 40;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            std::string why;
            for (int i = 0; i < EACH; ++i) {
                // Long lines: a write that was not one would show.
                nlohmann::ordered_json e = {{"entry", 0}, {"writer", w}, {"n", i}, {"pad", std::string(3000, 'x')}};
                if (journal_append(folder, e, why) == 0) _exit(1);
            }
            _exit(0);
        }
    }
    for (pid_t p : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(p, &status, 0), p);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    StringSink warnings;
    const JournalRead read = journal_read(folder, warnings);
    EXPECT_EQ(read.torn_lines, 0) << warnings.text();
    ASSERT_EQ(read.entries.size(), 2u * EACH);
    std::set<int> numbers;
    int next[2] = {0, 0};
    for (const nlohmann::json& e : read.entries) {
        numbers.insert(e["entry"].get<int>());
        const int w = e["writer"];
        EXPECT_EQ(e["n"], next[w]++);
    }
    EXPECT_EQ(numbers.size(), 2u * EACH);
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 2 * EACH);
}

TEST(JournalFiles, StoredOnceUnderTheirHash) {
    ScratchDir dir;
    const std::string bytes = "image";
    const std::string path = journal_image_path(dir.folder(), sha256_hex(bytes.data(), bytes.size()));
    ASSERT_TRUE(journal_store_file(path, bytes.data(), bytes.size()));
    EXPECT_EQ(read_file(path), bytes);
    EXPECT_TRUE(journal_store_file(path, "other", 5));  // the name holds the hash: never replaced
    EXPECT_EQ(read_file(path), bytes);
    EXPECT_EQ(path, dir.folder() + "/images/" + sha256_hex("image", 5) + ".bin");
}

// A download entry shown whole: the station its images hold, or why it cannot
// be shown when an image is missing, altered or of the wrong size.
TEST(JournalShow, TheStationOfTheImagesOrWhyNot) {
    const std::string config(reinterpret_cast<const char*>(&default_config), sizeof default_config);
    const std::string rule(sizeof(RuleRecord), '\0');
    const struct {
        const char* name;
        std::string config, rules;  // the images stored
        bool altered;               // the stored config differs from the bytes its hash names
        std::string shown;          // in the output
    } cases[] = {
        {"whole", config, "", false, "Configuration:\nStation Call"},
        {"a config image a byte short", config.substr(1), "", false,
         "cannot be shown: the configuration image of entry 1 holds 165 bytes, not 166\n"},
        {"a rule more than the count", config, rule, false,
         "cannot be shown: the rule image holds 1 rules, the configuration image counts 0\n"},
        {"a rule image cut short", config, rule.substr(2), false, "holds 26 bytes, not a whole number of 28-byte rules\n"},
        {"an altered image", config, "", true, "the configuration image of entry 1 does not match its hash: "},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        const std::string folder = dir.folder();
        const std::string config_sha = sha256_hex(c.config.data(), c.config.size());
        const std::string rules_sha = sha256_hex(c.rules.data(), c.rules.size());
        const std::string stored = c.altered ? std::string(c.config.size(), 'x') : c.config;
        ASSERT_TRUE(journal_store_file(journal_image_path(folder, config_sha), stored.data(), stored.size()));
        ASSERT_TRUE(journal_store_file(journal_image_path(folder, rules_sha), c.rules.data(), c.rules.size()));
        const nlohmann::json e = {{"entry", 1}, {"kind", "download"}, {"config_sha256", config_sha},
                                  {"rules_sha256", rules_sha}};
        ASSERT_TRUE(write_file(journal_file_path(folder), e.dump() + "\n"));
        StringSink out;
        EXPECT_EQ(journal_show(folder, 1, out), 0) << c.name;
        EXPECT_NE(out.text().find(c.shown), std::string::npos) << c.name << "\n" << out.text();
        EXPECT_EQ(out.text().find("Warning") == std::string::npos, c.shown.rfind("Config", 0) == 0) << c.name;
    }
}

}  // namespace
