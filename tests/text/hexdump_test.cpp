#include "text/hexdump.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/run_program.hpp"

namespace {

std::string dump(int style, const char* name, const void* bytes, int count, int header_every) {
    StringSink out;
    hexdump(style, name, bytes, count, header_every, out);
    return out.take();
}

const std::string HEADER = "Dec  Hex |  0  1  2  3  4  5  6  7    8  9  a  b  c  d  e  f | 0123456789abcdef\n";

TEST(Hexdump, MatchesTheExampleOfTheConnectReply) {
    const std::string reply = "Connected 9600\r\nKorrim> ";
    EXPECT_EQ(dump(1, "Got", reply.data(), 24, 10),
              "Got: length 24 (0x18):\n" + HEADER +
                  "   0 0000| 43 6f 6e 6e 65 63 74 65   64 20 39 36 30 30 0d 0a | Connected 9600..\n"
                  "  16 0010| 4b 6f 72 72 69 6d 3e 20                           | Korrim> \n");
}

TEST(Hexdump, TitleLines) {
    const char b[] = "x";
    struct Case {
        int style;
        const char* name;
        std::string title;
    } cases[] = {
        {1, "Got", "Got: length 0 (0x0):\n"},
        {1, "", "length 0 (0x0):\n"},
        {1, nullptr, "hexdump: length 0 (0x0):\n"},
        {3, "Got", "Got: length 0 (0x0):\n"},
        {2, "Got", "length 0 (0x0):\n"},
        {6, nullptr, "length 0 (0x0):\n"},
        {4, "Got", ""},
        {8, nullptr, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(dump(c.style, c.name, b, 0, 10), c.title) << c.style;

    char address[64];
    std::snprintf(address, sizeof address, "0x%p", static_cast<const void*>(b));
    EXPECT_EQ(dump(0, nullptr, b, 0, 1), std::string("hexdump: buffer addr ") + address + ", length 0 (0x0):\n");
    EXPECT_EQ(dump(0, "Got", b, 0, 1), std::string("hexdump: Got: buffer addr ") + address + ", length 0 (0x0):\n");
    EXPECT_EQ(dump(0, "", b, 0, 1), std::string("hexdump: buffer addr ") + address + ", length 0 (0x0):\n");
}

TEST(Hexdump, LineBreaksAndPadding) {
    std::vector<uint8_t> bytes(40);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0x41 + i);
    // 16 bytes: one full line, no empty second line.
    std::string sixteen = dump(2, nullptr, bytes.data(), 16, 0);
    EXPECT_EQ(sixteen, "length 16 (0x10):\n"
                       "   0 0000| 41 42 43 44 45 46 47 48   49 4a 4b 4c 4d 4e 4f 50 | ABCDEFGHIJKLMNOP\n");
    // 17 bytes: a second line with one byte, its "| " in the same columns.
    std::string seventeen = dump(4, nullptr, bytes.data(), 17, 0);
    EXPECT_EQ(seventeen, "   0 0000| 41 42 43 44 45 46 47 48   49 4a 4b 4c 4d 4e 4f 50 | ABCDEFGHIJKLMNOP\n"
                         "  16 0010| 51" + std::string(48, ' ') + "| Q\n");
    EXPECT_EQ(seventeen.find("| Q"), seventeen.find("| A") + 80);
}

TEST(Hexdump, HeaderRepeatsAfterABlankLine) {
    std::vector<uint8_t> bytes(40, 'z');
    std::string out = dump(4, nullptr, bytes.data(), 40, 2);
    std::string line = "| 7a 7a 7a 7a 7a 7a 7a 7a   7a 7a 7a 7a 7a 7a 7a 7a | zzzzzzzzzzzzzzzz\n";
    EXPECT_EQ(out, HEADER + "   0 0000" + line + "  16 0010" + line + "\n" + HEADER +
                       "  32 0020| 7a 7a 7a 7a 7a 7a 7a 7a" + std::string(27, ' ') + "| zzzzzzzz\n");
}

TEST(Hexdump, UnprintableBytesShowAsDots) {
    const uint8_t bytes[] = {0x00, 0x1f, 0x20, 0x7e, 0x7f, 0x80, 0xff};
    std::string out = dump(4, nullptr, bytes, 7, 0);
    EXPECT_EQ(out, "   0 0000| 00 1f 20 7e 7f 80 ff" + std::string(30, ' ') + "| .. ~...\n") << visible(out);
}

TEST(Hexdump, ArgumentFaults) {
    EXPECT_EQ(dump(1, "Got", nullptr, 3, 10), "hexdump: invalid param buf ptr\n");
    EXPECT_EQ(dump(1, "Got", "abc", -1, 10), "hexdump: invalid param len -1\n");
}

TEST(Hexdump, LargeOffsetsKeepTheLineWhole) {
    std::vector<uint8_t> bytes(10016, 'a');
    std::string out = dump(4, nullptr, bytes.data(), 10016, 0);
    EXPECT_NE(out.find("\n10000 2710| 61 61"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 31), "61 61 61 61 | aaaaaaaaaaaaaaaa\n");
}

}  // namespace
