// The download sequence against an in-memory device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "answering_device.hpp"
#include "shell/shell_state.hpp"
#include "station/config_record.hpp"
#include "download/command_packet.hpp"
#include "download/download.hpp"
#include "station/rule_record.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const CONF_CMD = "00 15 63 6F 6E 66 00 00 00 00 00 00 00 00 31 36 36 00 00 22 58";
const char* const RULES_0_CMD = "00 15 72 75 6C 65 73 00 00 00 00 00 00 00 30 00 00 00 00 E6 AA";
const char* const RULES_50_CMD = "00 15 72 75 6C 65 73 00 00 00 00 00 00 00 31 34 30 30 00 6A D3";
const char* const FINISH_CMD = "00 15 2D 63 65 73 74 66 69 6E 69 2D 00 00 00 00 00 00 00 5D CF";
const std::string SUCCESS_TEXT = "Downloading Configuration succeeded\nDownloading Rules succeeded\n";

class DownloadSequenceTest : public DownloadLinkTest {
protected:
    Station station;  // the images the download sends

    // Fills the table with `count` distinct records and sets the count.
    Bytes fill_rules(int count) {
        auto* table = reinterpret_cast<uint8_t*>(&station.rule_table);
        for (int i = 0; i < count * 28; ++i) table[i] = static_cast<uint8_t>(i * 7 + 3);
        station.config.rule_count = static_cast<uint16_t>(count);
        return Bytes(table, table + count * 28);
    }

    // The payloads of packets [first, last).
    Bytes payloads(std::size_t first, std::size_t last) const {
        Bytes all;
        for (std::size_t i = first; i < last; ++i) {
            const Bytes& p = device.packets[i];
            all.insert(all.end(), p.begin() + 2, p.end() - 2);
        }
        return all;
    }

    Bytes config_bytes() const {
        const auto* p = reinterpret_cast<const uint8_t*>(&station.config);
        return Bytes(p, p + sizeof station.config);
    }
};

TEST_F(DownloadSequenceTest, WithoutRulesSendsConfigurationThenEmptyRulesThenFinish) {
    std::memcpy(station.config.call_sign, "W1AW\0", 5);
    station.config.ssid = 9;
    // Whatever the device said before is drained, not taken for an answer.
    link->device_send("download\r\nKorrimatic> ");
    StringSink out;
    EXPECT_EQ(dwn_download(shell.port, station, out), 0);
    EXPECT_EQ(out.take(), SUCCESS_TEXT);
    ASSERT_EQ(device.packets.size(), 6u);
    EXPECT_EQ(device.packets[0], hex_bytes(CONF_CMD));
    EXPECT_EQ(device.packets[1].size(), 64u);
    EXPECT_EQ(device.packets[2].size(), 64u);
    EXPECT_EQ(device.packets[3].size(), 50u);
    EXPECT_EQ(payloads(1, 4), config_bytes());
    EXPECT_EQ(device.packets[4], hex_bytes(RULES_0_CMD));
    EXPECT_EQ(device.packets[5], hex_bytes(FINISH_CMD));
}

TEST_F(DownloadSequenceTest, RuleRecordsInUseFollowTheRulesCommand) {
    struct Case {
        int rules;
        std::size_t rule_packets;
        const char* size_text;
    };
    const Case cases[] = {{1, 1, "28"}, {2, 1, "56"}, {3, 2, "84"}, {50, 24, "1400"}};
    for (const Case& c : cases) {
        device.packets.clear();
        const Bytes rules = fill_rules(c.rules);
        StringSink out;
        EXPECT_EQ(dwn_download(shell.port, station, out), 0) << c.rules;
        EXPECT_EQ(out.take(), SUCCESS_TEXT);
        ASSERT_EQ(device.packets.size(), 1 + 3 + 1 + c.rule_packets + 1) << c.rules;
        EXPECT_EQ(payloads(1, 4), config_bytes()) << "the configuration carries the count";
        const Bytes& cmd = device.packets[4];
        EXPECT_EQ(std::string(cmd.begin() + 2, cmd.begin() + 7), "rules");
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(cmd.data() + 14)), c.size_text);
        EXPECT_EQ(payloads(5, 5 + c.rule_packets), rules) << c.rules;
        EXPECT_EQ(device.packets.back(), hex_bytes(FINISH_CMD));
    }
    EXPECT_EQ(device.packets[4], hex_bytes(RULES_50_CMD));
    EXPECT_EQ(device.packets[5 + 23].size(), 24u) << "the last of 24 rule packets carries 20 bytes";
}

// The first failing step ends the sequence with its code and message.
TEST_F(DownloadSequenceTest, AFailedStepEndsTheSequence) {
    const std::vector<int> five_naks = {DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK};
    const std::string config_ok = "Downloading Configuration succeeded\n";
    struct Case {
        const char* what;
        int acks_first;
        std::vector<int> then;
        int result;
        std::string text;
        std::size_t packets;
    };
    // With two rules: conf, 3 data, rules, 1 data, finish.
    const Case cases[] = {
        {"five NAKs to the conf command", 0, five_naks, -1,
         "\a\aError: writing Configuration command failed: -6\n", 5},
        {"silence to the conf command", 0, {SILENT}, -1,
         "\a\aError: reading ack or nak: 0\n\a\aError: writing Configuration command failed: -4\n", 1},
        {"stray byte on the second configuration packet", 2, {0x41}, -2,
         "\a\aError: reading ack or nak: got 0x41\n\a\aError: writing data pkt: -5\n"
         "\a\aError: writing Configuration file failed: -3\n",
         3},
        {"five NAKs to the last configuration packet", 3, five_naks, -2,
         "\a\aError: writing data pkt: -6\n\a\aError: writing Configuration file failed: -3\n", 8},
        {"silence to the rules command", 4, {SILENT}, -3,
         config_ok + "\a\aError: reading ack or nak: 0\n\a\aError: writing Rules command failed: -4\n", 5},
        {"five NAKs to the rule records", 5, five_naks, -4,
         config_ok + "\a\aError: writing data pkt: -6\n\a\aError: writing Rules file failed: -3\n", 10},
        {"stray byte on the finishing packet", 6, {0x15 + 1}, -5,
         SUCCESS_TEXT + "\a\aError: reading ack or nak: got 0x16\n\a\aError: error writing finish pkt: -5\n", 7},
        {"NAKs short of five are repaired", 0, {DWN_NAK, DWN_ACK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK}, 0,
         SUCCESS_TEXT, 12},
    };
    for (const Case& c : cases) {
        device.packets.clear();
        fill_rules(2);
        device.script(c.acks_first, c.then);
        StringSink out;
        EXPECT_EQ(dwn_download(shell.port, station, out), c.result) << c.what;
        EXPECT_EQ(visible(out.take()), visible(c.text)) << c.what;
        EXPECT_EQ(device.packets.size(), c.packets) << c.what;
        device.answers.clear();
    }
}

TEST_F(DownloadSequenceTest, ARuleCountBeyondTheTableIsNotSent) {
    station.config.rule_count = MAX_RULES + 1;
    StringSink out;
    EXPECT_EQ(dwn_download(shell.port, station, out), -3);
    EXPECT_EQ(visible(out.take()), visible("Downloading Configuration succeeded\n"
                                           "\a\aError: rule count 51 exceeds the table's 50 rules\n"));
    EXPECT_EQ(device.packets.size(), 4u) << "no rules command, no finishing packet";
}

}  // namespace
