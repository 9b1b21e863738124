// The packet layer against an in-memory device.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "answering_device.hpp"
#include "shell/shell_state.hpp"
#include "download/command_packet.hpp"
#include "download/crc16.hpp"
#include "download/packet.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

using Bytes = std::vector<uint8_t>;
using PacketTest = DownloadLinkTest;

bool crc_checks(const Bytes& packet) {
    return dwn_crc16(0xFFFF, packet.data(), packet.size(), crc16_table.data()) == 0;
}

TEST_F(PacketTest, CommandPacketsGoOutAsTheirKnownBytes) {
    struct Case {
        const char* name;
        const char* size_text;
        const char* wire;
    };
    const Case cases[] = {
        {"-cestfini-", nullptr, "00 15 2D 63 65 73 74 66 69 6E 69 2D 00 00 00 00 00 00 00 5D CF"},
        {"conf", "166", "00 15 63 6F 6E 66 00 00 00 00 00 00 00 00 31 36 36 00 00 22 58"},
        {"rules", "0", "00 15 72 75 6C 65 73 00 00 00 00 00 00 00 30 00 00 00 00 E6 AA"},
        {"rules", "1400", "00 15 72 75 6C 65 73 00 00 00 00 00 00 00 31 34 30 30 00 6A D3"},
    };
    StringSink out;
    DwnAnswers answers;
    for (const Case& c : cases) {
        device.packets.clear();
        EXPECT_EQ(dwn_send_command(shell.port, c.name, c.size_text, answers, out), 21) << c.name;
        ASSERT_EQ(device.packets.size(), 1u);
        EXPECT_EQ(device.packets[0], hex_bytes(c.wire)) << c.name << " " << (c.size_text ? c.size_text : "");
    }
}

TEST_F(PacketTest, FramesInPlaceAndReturnsTheLengthOnAck) {
    uint8_t buf[5] = {0xAA, 0xAA, 'Z', 0xAA, 0xAA};
    StringSink out;
    DwnAnswers answers;
    EXPECT_EQ(dwn_write_pkt(shell.port, buf, 5, answers, out), 5);
    EXPECT_EQ(out.take(), "");
    ASSERT_EQ(device.packets.size(), 1u);
    const Bytes sent = device.packets[0];
    EXPECT_EQ(sent, Bytes(buf, buf + 5));  // the caller's buffer holds the framed packet
    EXPECT_EQ(sent[0], 0x00);
    EXPECT_EQ(sent[1], 0x05);
    EXPECT_EQ(sent[2], 'Z');
    EXPECT_TRUE(crc_checks(sent));
}

TEST_F(PacketTest, ArgumentFaultsSendNothing) {
    uint8_t buf[4] = {};
    struct Case {
        uint8_t* pp;
        int len;
        int result;
        const char* message;
    };
    const Case cases[] = {
        {nullptr, 21, -1, "dwn_write_pkt: argument ptr pp is null\n"},
        {buf, 4, -2, "dwn_write_pkt: argument len < 5\n"},
        {buf, 0, -2, "dwn_write_pkt: argument len < 5\n"},
    };
    for (const Case& c : cases) {
        StringSink out;
        DwnAnswers answers;
        EXPECT_EQ(dwn_write_pkt(shell.port, c.pp, c.len, answers, out), c.result);
        EXPECT_EQ(out.take(), c.message);
    }
    EXPECT_TRUE(device.packets.empty());
}

// Each answer script against one 21-byte packet: the result, the message and
// how many times the same bytes went out.
TEST_F(PacketTest, AnswersDecideRepeatsAndResults) {
    struct Case {
        const char* what;
        std::vector<int> answers;
        int result;
        const char* message;
        std::size_t transmissions;
    };
    const Case cases[] = {
        {"NAK then ACK", {DWN_NAK, DWN_ACK}, 21, "", 2},
        {"four NAKs then ACK", {DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_ACK}, 21, "", 5},
        {"five NAKs", {DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_ACK}, -6, "", 5},
        {"silence", {SILENT}, -4, "\a\aError: reading ack or nak: 0\n", 1},
        {"stray byte", {0x41}, -5, "\a\aError: reading ack or nak: got 0x41\n", 1},
        {"high stray byte", {0xF5}, -5, "\a\aError: reading ack or nak: got 0xf5\n", 1},
        {"NAK then silence", {DWN_NAK, SILENT}, -4, "\a\aError: reading ack or nak: 0\n", 2},
    };
    for (const Case& c : cases) {
        device.packets.clear();
        device.script(0, c.answers);
        DwnCommandPacket packet;
        dwn_make_command(packet, "conf", "166");
        StringSink out;
        DwnAnswers answers;
        EXPECT_EQ(dwn_write_pkt(shell.port, reinterpret_cast<uint8_t*>(&packet), 21, answers, out), c.result) << c.what;
        EXPECT_EQ(visible(out.take()), visible(c.message)) << c.what;
        ASSERT_EQ(device.packets.size(), c.transmissions) << c.what;
        for (const Bytes& p : device.packets) EXPECT_EQ(p, device.packets[0]) << c.what;
        device.answers.clear();
    }
}

TEST_F(PacketTest, SilenceCostsTheAnswerTimeOutOnly) {
    device.script(0, {SILENT});
    uint8_t buf[8] = {};
    const int64_t start = link->now_ms();
    StringSink out;
    DwnAnswers answers;
    EXPECT_EQ(dwn_write_pkt(shell.port, buf, 8, answers, out), -4);
    const int64_t waited = link->now_ms() - start;
    EXPECT_GE(waited, 5000);
    EXPECT_LE(waited, 5020);
}

TEST_F(PacketTest, FailedWriteEndsAtOnce) {
    link->fail_write = true;
    uint8_t buf[8] = {};
    StringSink out;
    DwnAnswers answers;
    EXPECT_EQ(dwn_write_pkt(shell.port, buf, 8, answers, out), -3);
    const std::string text = out.take();
    EXPECT_NE(text.find("\a\aError: writing pkt\n"), std::string::npos) << visible(text);
    EXPECT_TRUE(device.packets.empty());
}

TEST_F(PacketTest, FilesAreCutIntoPacketsOfSixtyBytes) {
    struct Case {
        int len;
        std::vector<std::size_t> packet_lengths;
    };
    std::vector<std::size_t> for_1400(23, 64);
    for_1400.push_back(24);
    const Case cases[] = {
        {1, {5}}, {60, {64}}, {61, {64, 5}}, {120, {64, 64}}, {166, {64, 64, 50}}, {1400, for_1400},
    };
    for (const Case& c : cases) {
        device.packets.clear();
        Bytes source(static_cast<std::size_t>(c.len));
        std::iota(source.begin(), source.end(), uint8_t{7});
        const Bytes before = source;
        StringSink out;
        DwnAnswers answers;
        EXPECT_EQ(dwn_write_file(shell.port, source.data(), c.len, answers, out), c.len);
        EXPECT_EQ(out.take(), "");
        EXPECT_EQ(source, before) << "the source is only read";
        ASSERT_EQ(device.packets.size(), c.packet_lengths.size()) << c.len;
        Bytes payloads;
        for (std::size_t i = 0; i < device.packets.size(); ++i) {
            const Bytes& p = device.packets[i];
            EXPECT_EQ(p.size(), c.packet_lengths[i]) << c.len << " packet " << i;
            EXPECT_EQ((p[0] << 8) | p[1], static_cast<int>(p.size()));
            EXPECT_TRUE(crc_checks(p)) << c.len << " packet " << i;
            payloads.insert(payloads.end(), p.begin() + 2, p.end() - 2);
        }
        EXPECT_EQ(payloads, source) << c.len;
    }
}

TEST_F(PacketTest, EachDataPacketStartsWithFreshAttempts) {
    // Four NAKs on each of two packets: nine transmissions would exceed five
    // for the file as a whole, but each packet is counted on its own.
    device.script(0, {DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_ACK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_ACK});
    Bytes source(100, 0x5A);
    StringSink out;
    DwnAnswers answers;
    EXPECT_EQ(dwn_write_file(shell.port, source.data(), 100, answers, out), 100);
    EXPECT_EQ(device.packets.size(), 10u);
}

TEST_F(PacketTest, FileFailuresReportThePacketResult) {
    struct Case {
        const char* what;
        int acks_first;
        std::vector<int> then;
        const char* message;
        std::size_t packets;
    };
    const Case cases[] = {
        {"five NAKs", 0, {DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK, DWN_NAK}, "\a\aError: writing data pkt: -6\n", 5},
        {"silence on the second", 1, {SILENT},
         "\a\aError: reading ack or nak: 0\n\a\aError: writing data pkt: -4\n", 2},
        {"stray byte on the third", 2, {0x41},
         "\a\aError: reading ack or nak: got 0x41\n\a\aError: writing data pkt: -5\n", 3},
    };
    for (const Case& c : cases) {
        device.packets.clear();
        device.script(c.acks_first, c.then);
        Bytes source(166, 1);
        StringSink out;
        DwnAnswers answers;
        EXPECT_EQ(dwn_write_file(shell.port, source.data(), 166, answers, out), -3) << c.what;
        EXPECT_EQ(visible(out.take()), visible(c.message)) << c.what;
        EXPECT_EQ(device.packets.size(), c.packets) << c.what << ": nothing after the failed packet";
        device.answers.clear();
    }
}

TEST_F(PacketTest, FileArgumentFaultsSendNothing) {
    uint8_t one = 1;
    {
        StringSink out;
        DwnAnswers answers;
        EXPECT_EQ(dwn_write_file(shell.port, nullptr, 10, answers, out), -1);
        EXPECT_EQ(out.take(), "dwn_write_file: argument ptr bp is null\n");
    }
    for (int len : {0, -5}) {
        StringSink out;
        DwnAnswers answers;
        EXPECT_EQ(dwn_write_file(shell.port, &one, len, answers, out), -2);
        EXPECT_EQ(out.take(), "dwn_write_file: argument len < 1\n");
    }
    EXPECT_TRUE(device.packets.empty());
}

}  // namespace
