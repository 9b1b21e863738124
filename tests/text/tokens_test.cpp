#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/command_args.hpp"
#include "text/sink.hpp"
#include "text/line_reader.hpp"
#include "text/numbers.hpp"
#include "text/tokens.hpp"
#include "support/temp_file.hpp"

namespace {

std::vector<std::string> cut(std::string line, const std::vector<const char*>& separators) {
    std::vector<std::string> tokens;
    char* cursor = line.data();
    for (const char* seps : separators) {
        char* t = next_token(cursor, seps);
        tokens.push_back(t == nullptr ? "<none>" : t);
    }
    return tokens;
}

TEST(Tokens, CutsWithTheSeparatorsOfEachToken) {
    struct Case {
        std::string line;
        std::vector<const char*> seps;
        std::vector<std::string> expected;
    } cases[] = {
        {"connect 3 57600", {WORD_SEPARATORS, WORD_SEPARATORS, WORD_SEPARATORS}, {"connect", "3", "57600"}},
        {"connect,,3\t57600", {WORD_SEPARATORS, WORD_SEPARATORS, WORD_SEPARATORS}, {"connect", "3", "57600"}},
        {"configure my station.cfg", {WORD_SEPARATORS, FILE_NAME_SEPARATORS}, {"configure", "my station.cfg"}},
        {"configure  my station.cfg", {WORD_SEPARATORS, FILE_NAME_SEPARATORS}, {"configure", " my station.cfg"}},
        {"rules a.rul,b.rul", {WORD_SEPARATORS, FILE_NAME_SEPARATORS, FILE_NAME_SEPARATORS}, {"rules", "a.rul", "b.rul"}},
        {"firmware 3\tfw.hex", {WORD_SEPARATORS, WORD_SEPARATORS, FILE_NAME_SEPARATORS}, {"firmware", "3", "fw.hex"}},
        {"   ", {WORD_SEPARATORS}, {"<none>"}},
        {"help", {WORD_SEPARATORS, WORD_SEPARATORS}, {"help", "<none>"}},
        {"configure ,\t", {WORD_SEPARATORS, FILE_NAME_SEPARATORS}, {"configure", "<none>"}},
    };
    for (const Case& c : cases) EXPECT_EQ(cut(c.line, c.seps), c.expected) << c.line;
}

TEST(Tokens, ParseDecimalTakesLeadingDigits) {
    EXPECT_EQ(parse_decimal("57600"), 57600);
    EXPECT_EQ(parse_decimal("  -12x"), -12);
    EXPECT_EQ(parse_decimal("+7"), 7);
    EXPECT_EQ(parse_decimal("abc"), 0);
    EXPECT_EQ(parse_decimal("99999999999"), INT32_MAX);
    EXPECT_EQ(parse_decimal("-99999999999"), INT32_MIN);
}

TEST(Tokens, ParseComPort) {
    struct Case {
        const char* token;
        int port;
    } cases[] = {{"3", 3},   {"COM3", 3}, {"com3", 3}, {"Com3x", 3}, {"20", 20}, {"com20", 20},
                 {" 4", 4},  {"0", 0},    {"21", 0},   {"com", 0},   {"abc", 0}, {"com0", 0},
                 {"-3", 0},  {"com21", 0}, {"cox3", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(parse_com_port(c.token), c.port) << c.token;
        StringSink out;
        EXPECT_EQ(com_port_argument(out, c.token), c.port) << c.token;
        std::string expected =
            c.port == 0 ? std::string("\a\aError: invalid COM port number (1..20): ") + c.token + "\n" : "";
        EXPECT_EQ(out.take(), expected) << c.token;
    }
}

// A device path must fit the name buffer whole, its NUL included.
TEST(Tokens, PortArgument) {
    struct Case {
        const char* token;
        std::size_t size;
        const char* name;  // nullptr: refused
        const char* out;
    } cases[] = {{"/dev/ttyUSB0", 13, "/dev/ttyUSB0", ""},
                 {"/dev/ttyUSB0", 12, nullptr, "\a\aError: device path too long (max 11 characters): /dev/ttyUSB0\n"},
                 {"com4", 8, "COM4", ""},
                 {"com21", 8, nullptr, "\a\aError: invalid COM port number (1..20): com21\n"}};
    for (const Case& c : cases) {
        char name[16] = "unchanged";
        StringSink out;
        EXPECT_EQ(port_argument(out, c.token, name, c.size), c.name != nullptr) << c.token << " " << c.size;
        EXPECT_STREQ(name, c.name != nullptr ? c.name : "unchanged") << c.token << " " << c.size;
        EXPECT_EQ(out.take(), c.out) << c.token << " " << c.size;
    }
}

// The one reading of the three input files: LF, CR LF and a CR that ends
// the file end a line; a line end right after a full piece is an empty line
// of its own, or belongs to the piece.
TEST(LineReader, LineEndsAndPieces) {
    struct Case {
        const char* name;
        std::string text;
        EndAfterFullPiece policy;
        std::vector<std::string> lines;
    } cases[] = {
        {"LF and CR LF", "ab\ncd\r\nef", EndAfterFullPiece::separate, {"ab", "cd", "ef"}},
        {"a lone CR stays", "a\r\r\r\nlast", EndAfterFullPiece::separate, {"a\r\r", "last"}},
        {"a CR that ends the file", "ab\ncd\r", EndAfterFullPiece::separate, {"ab", "cd"}},
        {"empty lines", "\n\r\n\n", EndAfterFullPiece::separate, {"", "", ""}},
        {"pieces, the line end separate", "abcdefgh\r\nxy\n", EndAfterFullPiece::separate, {"abcd", "efgh", "", "xy"}},
        {"pieces, the line end belongs", "abcdefgh\r\nxy\n", EndAfterFullPiece::belongs, {"abcd", "efgh", "xy"}},
        {"a CR LF across a piece's end", "abc\r\nd", EndAfterFullPiece::separate, {"abc", "d"}},
    };
    for (const Case& c : cases) {
        TempFile file(c.text);
        std::FILE* fp = std::fopen(file.path().c_str(), "rb");
        LineReader reader(fp, 4, c.policy);
        std::vector<std::string> lines;
        char buffer[5];
        while (reader.read(buffer) == LineRead::line) lines.push_back(buffer);
        EXPECT_EQ(lines, c.lines) << c.name;
        std::fclose(fp);
    }
}

TEST(Numbers, NarrowingAndReadings) {
    EXPECT_EQ(to_single(25.0), 25.0f);
    EXPECT_EQ(to_single(1e-60), 0.0f);
    EXPECT_EQ(to_single(3.4028235e38), 3.4028234663852886e+38f);  // rounds to the largest, not beyond
    EXPECT_TRUE(std::isinf(to_single(3.5e38)));
    EXPECT_TRUE(std::isinf(to_single(-1e300)));
    EXPECT_EQ(parse_real("  2.5e1x"), 25.0);
    EXPECT_EQ(parse_real("inf"), 0.0);
    EXPECT_EQ(parse_real("0x10"), 0.0);
    EXPECT_EQ(parse_prefixed("0x1f"), 31);
    EXPECT_EQ(parse_prefixed("017"), 15);
}

// Each text ends where its own heap block ends, with no NUL after it: a scan
// that reads one character past the end is a heap overflow that the
// sanitizer build reports.
TEST(Numbers, ScanStopsAtTheEndOfItsText) {
    struct Case {
        const char* text;
        bool fraction, exponent;
        const char* number;
        bool negative, digits;
    };
    const Case cases[] = {
        {"", true, true, "", false, false},       {"  ", true, true, "", false, false},
        {" -", true, true, "-", true, false},     {"12", false, false, "12", false, true},
        {"+7", true, false, "+7", false, true},   {"3.", true, false, "3.", false, true},
        {"-.25", true, true, "-.25", true, true}, {"3.", false, false, "3", false, true},
        {"1e", true, true, "1", false, true},     {"1e-", true, true, "1", false, true},
        {"2E+15", true, true, "2E+15", false, true}, {"9e9", true, false, "9", false, true},
        {"\t\n\v\f\r 5", true, true, "5", false, true},  // white space as the C locale has it
    };
    for (const Case& c : cases) {
        const std::size_t size = std::strlen(c.text);
        const auto block = std::make_unique<char[]>(size);
        std::memcpy(block.get(), c.text, size);
        const DecimalScan scan = scan_decimal(std::string_view(block.get(), size), c.fraction, c.exponent);
        EXPECT_EQ(scan.number, c.number) << c.text;
        EXPECT_EQ(scan.negative, c.negative) << c.text;
        EXPECT_EQ(scan.digits, c.digits) << c.text;
    }
}

}  // namespace
