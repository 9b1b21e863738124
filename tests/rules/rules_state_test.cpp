// The 50-rule limit, what a failed or refused file leaves behind, and how
// lines are read.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_files.hpp"
#include "rules/rules_process.hpp"
#include "shell/shell_state.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

std::string rules(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "pass source N" + std::to_string(i) + "\n";
    return text;
}

std::string table_bytes(const Station& station) {
    return std::string(reinterpret_cast<const char*>(&station.rule_table), sizeof station.rule_table);
}

TEST(RulesLimit, FiftyRulesFillTheTable) {
    Station station;
    ParseOutcome r = parse_rules(station, rules(50));
    ASSERT_EQ(r.rc, 0) << visible(r.out);
    EXPECT_EQ(r.out, "Rules processed 50, implicit 0\n");
    EXPECT_EQ(station.config.rule_count, 50);
    EXPECT_EQ(sizeof station.rule_table, 1400u);
    EXPECT_EQ(std::string(station.rule_table.slot[49].callsign, 3), "N49");
    EXPECT_EQ(int(station.rule_table.slot[49].line), 50);
}

TEST(RulesLimit, ImplicitLinesCountAgainstTheLimit) {
    struct Case {
        std::string text;
        int failing_line;  // 0: accepted
        std::string failing_text;
    };
    const Case cases[] = {
        {rules(49) + "drop implicit\n", 0, ""},
        {"drop implicit\n" + rules(49), 0, ""},
        {rules(50) + "drop implicit\n", 51, "drop implicit"},
        {"drop implicit\n" + rules(50), 51, "pass source N49"},
        {rules(50) + "# comment\n\npass bogus x\n", 53, "pass bogus x"},
        {rules(25) + "p i\n" + rules(25), 51, "pass source N24"},
    };
    for (const Case& c : cases) {
        Station station;
        ParseOutcome r = parse_rules(station, c.text);
        if (c.failing_line == 0) {
            EXPECT_EQ(r.rc, 0) << visible(r.out);
            EXPECT_EQ(r.out, "Rules processed 49, implicit 1\n");
            EXPECT_EQ(station.config.rule_count, 49);
            EXPECT_EQ(station.config.implicit_action, 0x64);
        } else {
            EXPECT_EQ(r.rc, -6) << c.failing_text;
            EXPECT_EQ(visible(r.out), visible(line_message(r.path, c.failing_line, "rule limit (50) exceeded",
                                                           c.failing_text)));
            EXPECT_EQ(station.config.rule_count, 0);
        }
    }
}

TEST(RulesLimit, AMissingCommandIsReportedBeforeTheLimit) {
    Station station;
    ParseOutcome r = parse_rules(station, rules(50) + "pass\n");
    EXPECT_EQ(r.rc, -71);
    EXPECT_EQ(visible(r.out), visible(line_message(r.path, 51, "missing arguments", "pass")));
}

TEST(RulesState, AFailedParseKeepsWhatWasWrittenButCountsNothing) {
    Station station;
    ASSERT_EQ(parse_rules(station, "pass destin OLD\npass destin OLD2\npass destin OLD3\n").rc, 0);
    ASSERT_EQ(station.rules_processed, 1);
    ParseOutcome r = parse_rules(station, "pass destin APRS\ndrop implicit\npass circle 25, 39:30:00, 200d\n");
    EXPECT_EQ(r.rc, -22);
    EXPECT_EQ(station.config.rule_count, 0);
    EXPECT_EQ(station.rules_processed, 0);
    EXPECT_EQ(station.config.implicit_action, 0x70);  // the failed file's drop implicit is not in force
    // Slot 0 holds the first line's record; slot 1 what the failing line wrote
    // before its error; the third record of the earlier file is gone.
    EXPECT_EQ(std::string(station.rule_table.slot[0].callsign, 6), std::string("APRS\0\0", 6));
    EXPECT_EQ(station.rule_table.slot[1].kind, 41);
    EXPECT_EQ(float(station.rule_table.slot[1].radius), 25.0f);
    EXPECT_EQ(float(station.rule_table.slot[1].lat), 39.5f);
    EXPECT_EQ(float(station.rule_table.slot[1].lon), 0.0f);
    EXPECT_EQ(record_bytes(station, 2), std::string(28, '\0'));
}

TEST(RulesState, AFileWithoutAnImplicitLineSetsPassAgain) {
    Station station;
    ASSERT_EQ(parse_rules(station, "drop implicit\n").rc, 0);
    EXPECT_EQ(station.config.implicit_action, 0x64);
    ASSERT_EQ(parse_rules(station, "pass destin APRS\n").rc, 0);
    EXPECT_EQ(station.config.implicit_action, 0x70);
    ASSERT_EQ(parse_rules(station, "drop implicit\npass implicit\n").rc, 0);
    EXPECT_EQ(station.config.implicit_action, 0x70);
    EXPECT_EQ(station.config.rule_count, 0);
    EXPECT_EQ(station.rules_processed, 1);
}

TEST(RulesState, AFileThatCannotBeOpenedChangesNothing) {
    Station station;
    ASSERT_EQ(parse_rules(station, "drop implicit\npass destin APRS\ndrop circle 25, 39:30:00, -104:45:00\n").rc, 0);
    const std::string before = table_bytes(station);
    const std::string config_before(reinterpret_cast<const char*>(&station.config), sizeof station.config);
    TempRulesFile folder("");
    const std::string missing = folder.folder() + "/missing.rul";
    for (const char* name : {missing.c_str(), folder.folder().c_str(), static_cast<const char*>(nullptr)}) {
        StringSink capture;
        EXPECT_NE(rules_process(station, name, capture), 0);
        EXPECT_EQ(table_bytes(station), before);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&station.config), sizeof station.config), config_before);
        EXPECT_EQ(station.rules_processed, 1);
    }
}

// A stream that gives one line and then fails to read.
ssize_t failing_read(void* cookie, char* buffer, size_t size) {
    int& calls = *static_cast<int*>(cookie);
    if (calls++ > 0) {
        errno = EIO;
        return -1;
    }
    const char line[] = "pass destin APRS\n";
    const size_t n = std::min(size, sizeof line - 1);
    std::memcpy(buffer, line, n);
    return static_cast<ssize_t>(n);
}

TEST(RulesState, AReadErrorFailsTheRun) {
    Station station;
    ASSERT_EQ(parse_rules(station, "pass destin OLD\n").rc, 0);
    int calls = 0;
    cookie_io_functions_t io{};
    io.read = failing_read;
    std::FILE* file = fopencookie(&calls, "r", io);
    ASSERT_NE(file, nullptr);
    StringSink capture;
    EXPECT_EQ(rules_read(station, file, "broken.rul", capture), -2);
    EXPECT_EQ(visible(capture.text()), visible("\a\aError: cannot read broken.rul\n"));
    std::fclose(file);
    EXPECT_EQ(station.config.rule_count, 0);
}

TEST(RulesLines, LongLinesAreReadInPiecesOf255) {
    Station station;
    // 255 characters and their newline are one line: the next is line 2.
    std::string full = "pass destin APRS";
    full.resize(255, ' ');
    ParseOutcome r = parse_rules(station, full + "\npass destin TOOLONG\n");
    EXPECT_EQ(r.rc, -10);
    EXPECT_EQ(visible(r.out), visible(line_message(r.path, 2, "Destination is too long: TOOLONG", "pass destin TOOLONG")));
    // A longer line goes on as a line of its own after its first 255 characters.
    r = parse_rules(station, full + "drop destin TOOLONG\n");
    EXPECT_EQ(r.rc, -10);
    EXPECT_EQ(visible(r.out), visible(line_message(r.path, 2, "Destination is too long: TOOLONG", "drop destin TOOLONG")));
    r = parse_rules(station, full + std::string(300, ' ') + "\npass destin XX*\n");
    EXPECT_EQ(r.rc, 0) << visible(r.out);
    EXPECT_EQ(int(station.rule_table.slot[1].line), 4);
}

TEST(RulesLines, CarriageReturnsBeforeTheNewlineAreDropped) {
    Station station;
    ParseOutcome r = parse_rules(station, "pass destin APRS\r\ndrop source N0CALL-5\r\npass destin TOOLONG\r\n");
    EXPECT_EQ(r.rc, -10);
    EXPECT_EQ(visible(r.out), visible(line_message(r.path, 3, "Destination is too long: TOOLONG", "pass destin TOOLONG")));
    EXPECT_EQ(std::string(station.rule_table.slot[0].callsign, 6), std::string("APRS\0\0", 6));
    EXPECT_EQ(station.rule_table.slot[1].ssid, 5);
    // A line of 255 characters ends at its CR LF too.
    std::string full = "pass destin APRS";
    full.resize(255, ' ');
    r = parse_rules(station, full + "\r\npass destin TOOLONG\r\n");
    EXPECT_EQ(r.rc, -10);
    EXPECT_EQ(visible(r.out), visible(line_message(r.path, 2, "Destination is too long: TOOLONG", "pass destin TOOLONG")));
}

TEST(RulesLines, ALastLineWithoutNewlineCounts) {
    Station station;
    ParseOutcome r = parse_rules(station, "pass destin APRS\ndrop sector 10d, 80d, 5, 20");
    EXPECT_EQ(r.rc, 0) << visible(r.out);
    EXPECT_EQ(station.config.rule_count, 2);
    EXPECT_EQ(float(station.rule_table.slot[1].outer_range), 20.0f);
}

}  // namespace
