#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/capture.hpp"
#include "shell/tokens.hpp"

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
                 {"-3", 0},  {"com21", 0}};
    for (const Case& c : cases) {
        StdoutCapture out;
        EXPECT_EQ(parse_com_port(c.token), c.port) << c.token;
        std::string expected =
            c.port == 0 ? std::string("\a\aError: invalid COM port number (1..20): ") + c.token + "\n" : "";
        EXPECT_EQ(out.text(), expected) << c.token;
    }
}

}  // namespace
