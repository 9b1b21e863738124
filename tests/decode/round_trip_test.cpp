// Every image the parsers make decodes into a Configuration file and a Rules
// file that the parsers turn into the same bytes again: the images of the
// table below, of the examples, of the fuzz corpora and of a file of 50 rules.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/config_parser.hpp"
#include "decode/config_decode.hpp"
#include "decode/rules_decode.hpp"
#include "rules/rules_process.hpp"
#include "station/station.hpp"
#include "text/sink.hpp"

namespace {

namespace fs = std::filesystem;

// The parsers over a text held in memory.
int parse_config(Station& s, const std::string& text) {
    std::FILE* f = text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    StringSink out;
    const int rc = conf_process_lines(s, f, "t.cfg", out);
    std::fclose(f);
    return rc;
}

int parse_rules_text(Station& s, const std::string& text) {
    std::FILE* f = text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    StringSink out;
    const int rc = rules_read(s, f, "t.rul", out);
    std::fclose(f);
    return rc;
}

std::vector<RuleRecord> records_of(const Station& s) {
    return {s.rule_table.slot, s.rule_table.slot + s.config.rule_count};
}

std::string bytes(const void* p, std::size_t n) { return {static_cast<const char*>(p), n}; }

// The configuration less the two fields the Rules file sets.
std::string config_bytes(ConfigRecord c) {
    c.rule_count = 0;
    c.implicit_action = 0;
    return bytes(&c, sizeof c);
}

// Decodes what the text made and parses the decoded file; true when it made
// the same image (or the text made none).
int g_images = 0;  // how many texts made an image

void expect_config_round_trip(const std::string& source, const std::string& what) {
    Station made;
    if (parse_config(made, source) != 0) return;
    ++g_images;
    std::vector<std::string> problems;
    const std::string decoded = decode_config(made.config, "test", problems);
    EXPECT_TRUE(problems.empty()) << what << ": " << problems.front();
    Station again;
    ASSERT_EQ(parse_config(again, decoded), 0) << what << "\n" << decoded;
    EXPECT_EQ(config_bytes(again.config), config_bytes(made.config)) << what << "\n" << decoded;
}

void expect_rules_round_trip(const std::string& source, const std::string& what) {
    Station made;
    if (parse_rules_text(made, source) != 0) return;
    ++g_images;
    std::vector<std::string> problems;
    const std::string decoded = decode_rules(made.config, records_of(made), "test", problems);
    EXPECT_TRUE(problems.empty()) << what << ": " << problems.front();
    Station again;
    ASSERT_EQ(parse_rules_text(again, decoded), 0) << what << "\n" << decoded;
    EXPECT_EQ(bytes(&again.rule_table, sizeof again.rule_table), bytes(&made.rule_table, sizeof made.rule_table))
        << what << "\n" << decoded;
    EXPECT_EQ(again.config.rule_count, made.config.rule_count) << what;
    EXPECT_EQ(again.config.implicit_action, made.config.implicit_action) << what;
}

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const char* const CONFIG_TABLE[] = {
    "",
    "call n0call\nssid 10\nposition 39:23:42 -104:45:00\n",
    "call AB\n",                               // the tail of NOTSET stays after the NUL
    "call ABCDE\ncall AB\n",                   // the tail of an earlier call line
    "call ABCDEF\ncall ABCD\ncall A\n",
    "call ABXXXX\ncall ABXX\ncall ABX\ncall AB\n",  // NULs at 2, 3 and 4 and an X at 5
    "call x\xC3\xA9\n",
    "position 0.0000000000000001D 0D\n",
    "position -0:00:0.0000000000000000000000000000000000000000000015 -180:00:00\n",
    "position 90:00:00 179.9999999D\n",
    "base S38d50m26c W105d2m38.1c\nhost 9600\ngps 4800\ntnc 38400\n",
    "widemax 1\nwidetotal 2\ndupewin 500\nbeacon 0\n",
    "beacon 0xffff\nssid 0x0f\n",
    "havegps enabled\nlog off\ndropmangld 0\nhaltonerr true\nfixvalid no\nnsr yes\nrelaydrop 1\nnonaprs pass\n",
    "digipath WIDE1-1,wide2-2\n",
    "digipath A B,C,,D E F G H I J\n",
    "digipath ABCDEFGH,ABCDEFGH,ABCDEFGH,ABCDEFGH,ABCDEFGH,ABCDEFGH,ABCDEFGH,ABCDEFGH\n",
    "bcomment Hello, world; more\n",
    "bcomment    three blanks first and two last  \n",
    "bcomment 123456789012345678901234567890123456789012345678\n",
    "bcomment ends in a carriage return\r\t\n",
    "call CR\r\n",
};

const char* const RULES_TABLE[] = {
    "",
    "drop implicit\n",
    "drop implicit\npass destin APRS\ndrop source N0CALL-5\npass source N0*\ndrop destin *\n"
    "pass circle 25, 39:30:00, -104:45:00\ndrop compass NW, 39:30:00, -104:45:00\n"
    "pass rectangle 40:00:00, -105:00:00, 39:00:00, -104:00:00\ndrop sector 10:00:00, 80:00:00, 5, 20\n",
    "pass destin *ABC\np dst AP*-3\nd src -5\npass src APRS-\npass destin N0CALL*\npass source abcdef-15\n",
    "\n\n# a comment\n\npass destin A-B*\n\n\n\npass destin lower\n",
    "pass circle 1e-40, -90:00:00, 180:00:00\npass circle 1e39, 0D, -0:00:0.000000000000000000000000000000000000000000001\n",
    "pass sector 0D, 360D, 0.5\ndrop sector 360:00:00, 0:00:00, 0\npass sector 1D, 2D, 1e39\n",
    "pass sector 10:00:00, 80:00:00, 5 ; 9\ndrop sector 1D, 2D, 3, 3.000001\n",
    "drop compass n, 45.22.64, -103.00.\npass compass Sw, N 39d 23.7m 33.9c, 0.0000001D\n",
    "pass rectangle -90D, -180D, 90D, 180D# trailing comment\npass implicit\ndrop implicit\n",
    "pass destin CR\r \npass circle 0.1, 1.1D, 2.2D\n",
};

std::string fifty_rules() {
    std::string text;
    for (int i = 0; i < 50; ++i) {
        const double v = i * 1.37;
        char line[160];
        switch (i % 5) {
        case 0: std::snprintf(line, sizeof line, "pass destin C%d-%d\n", i, i % 16); break;
        case 1: std::snprintf(line, sizeof line, "drop circle %.3f, %.7fD, %.7fD\n", v + 0.1, v - 45, v * 2 - 100); break;
        case 2: std::snprintf(line, sizeof line, "pass compass SE, %.5fD, %.5fD\n", -v, v); break;
        case 3: std::snprintf(line, sizeof line, "drop rectangle %.6fD, %.6fD, %.6fD, %.6fD\n", v, -v, v / 3, v / 7); break;
        default: std::snprintf(line, sizeof line, "pass sector %.4fD, %.4fD, %.2f, %.2f\n", v, 359 - v, v / 9, v + 1); break;
        }
        text += line;
    }
    return text;
}

std::vector<fs::path> corpus(const char* name) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(KORRI_SOURCE_DIR) / "fuzz" / "corpus" / name)) files.push_back(e.path());
    return files;
}

}  // namespace

TEST(Decode, EveryImageTheParsersMakeDecodesIntoFilesThatMakeItAgain) {
    for (const char* text : CONFIG_TABLE) expect_config_round_trip(text, std::string("table: ") + text);
    for (const char* text : RULES_TABLE) expect_rules_round_trip(text, std::string("table: ") + text);
    EXPECT_EQ(g_images, static_cast<int>(std::size(CONFIG_TABLE) + std::size(RULES_TABLE))) << "every table text is valid";
    const fs::path examples = fs::path(KORRI_SOURCE_DIR) / "examples";
    expect_config_round_trip(file_text(examples / "station.cfg"), "examples/station.cfg");
    expect_rules_round_trip(file_text(examples / "station.rul"), "examples/station.rul");
    expect_rules_round_trip(fifty_rules(), "fifty rules");
    for (const fs::path& p : corpus("config")) expect_config_round_trip(file_text(p), p.string());
    for (const fs::path& p : corpus("rules")) expect_rules_round_trip(file_text(p), p.string());
    std::printf("%d images decoded and made again\n", g_images);
}

TEST(Decode, TheDefaultsDecodeIntoEveryKeywordWithItsDefault) {
    std::vector<std::string> problems;
    const std::string text = decode_config(default_config, "defaults", problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(text,
              "# defaults\ncall NOTSET\nssid 0\nposition 38.840557D -105.04389D\nhost 57600\ngps 9600\ntnc 19200\n"
              "widemax 3\nwidetotal 6\ndupewin 28\nbeacon 600\nhavegps no\nlog yes\ndropmangld yes\nhaltonerr no\n"
              "fixvalid yes\nnsr no\nrelaydrop no\nnonaprs no\n");
    EXPECT_EQ(decode_rules(default_config, {}, "defaults", problems), "# defaults\n");
    EXPECT_TRUE(problems.empty());
}

// Images no file gives (made by another program, or damaged) are named, in
// a comment of the file and among the problems.
TEST(Decode, WhatNoFileGivesIsNamed) {
    const auto sector = [](float inner, float outer, uint16_t line) {
        RuleRecord r{};
        r.kind = KIND_SECTOR;
        r.action_mods = ACTION_PASS;
        r.angle1 = 10;
        r.angle2 = 20;
        r.inner_range = inner;
        r.outer_range = outer;
        r.line = line;
        return r;
    };
    struct Case {
        const char* name;
        ConfigRecord config;
        std::vector<RuleRecord> rules;
        std::string problem;
    };
    std::vector<Case> cases;
    const auto config_case = [&](const char* name, auto change, const char* problem) {
        Case c{name, default_config, {}, problem};
        change(c.config);
        cases.push_back(c);
    };
    config_case("a flag of 2", [](ConfigRecord& c) { c.nsr = 2; }, "nsr holds 2, neither 0 nor 1");
    config_case("a lower-case call sign", [](ConfigRecord& c) { std::memcpy(c.call_sign, "ab\0\0\0\0\0", 8); },
                "the call sign field holds a character no call line gives: \"ab\"");
    config_case("an empty call sign", [](ConfigRecord& c) { std::memcpy(c.call_sign, "\0BCDEF\0", 8); },
                "the call sign field \"\" is not 1 to 6 characters and a NUL");
    config_case("a latitude off the Earth", [](ConfigRecord& c) { c.base_lat = 91; }, "the latitude 91 lies off the Earth");
    config_case("a latitude below the pole", [](ConfigRecord& c) { c.base_lat = -90.5f; },
                "the latitude -90.5 lies off the Earth");
    config_case("a longitude past 180 east", [](ConfigRecord& c) { c.base_lon = 180.5f; },
                "the longitude 180.5 lies off the Earth");
    config_case("a longitude past 180 west", [](ConfigRecord& c) { c.base_lon = -180.5f; },
                "the longitude -180.5 lies off the Earth");
    config_case("a beacon of 5 s", [](ConfigRecord& c) { c.beacon_interval = 5; }, "beacon 5 lies outside 10 to 65535");
    config_case("a path with a gap", [](ConfigRecord& c) { std::memcpy(c.digi_path[1], "WIDE2-2", 7); },
                "a digipeater path element follows an empty slot");
    for (const char* element : {"A,B", "A B"}) {
        config_case(element, [element](ConfigRecord& c) {
            std::memset(c.digi_path[0], 0, sizeof c.digi_path[0]);
            std::memcpy(c.digi_path[0], element, 3);
        }, "");
        cases.back().problem = std::string("the digipeater path element \"") + element + "\" holds a character no path gives";
    }
    config_case("a comment with a tab", [](ConfigRecord& c) { std::memcpy(c.beacon_comment, "a\tb", 3); },
                "the beacon comment \"a\tb\" holds a '#', '/', ';' or tab");
    cases.push_back({"an outer range below the inner one", default_config, {sector(5, 4, 1)},
                     "rule 1 (line 1): the outer range is not greater than the inner one"});
    cases.push_back({"an inner range of -0", default_config, {sector(-0.0f, 2, 1)},
                     "rule 1 (line 1): the inner range is negative"});
    cases.push_back({"lines out of order", default_config, {sector(1, 2, 3), sector(1, 2, 3)},
                     "rule 2 names line 3, not a line after the rule before it"});
    RuleRecord odd = sector(1, 2, 1);
    odd.kind = 99;
    cases.push_back({"an unknown kind", default_config, {odd}, "rule 1 (line 1): the kind code 99 is no rule's"});
    RuleRecord stray = sector(1, 2, 1);
    stray.unused2[1] = 1;  // byte 17: between the inner range and the outer one
    cases.push_back({"a byte the kind leaves at zero", default_config, {stray},
                     "rule 1 (line 1): bytes that the rule's kind leaves at zero are not zero"});
    const struct {
        std::size_t offset;
        const char* name;
    } strays[] = {{4, "byte 4"}, {5, "byte 5"}, {10, "byte 10"}, {11, "byte 11"}, {16, "byte 16"}, {22, "byte 22"},
                  {23, "byte 23"}};  // each byte a sector leaves at zero
    for (const auto& stray_at : strays) {
        RuleRecord r = sector(1, 2, 1);
        reinterpret_cast<unsigned char*>(&r)[stray_at.offset] = 1;
        cases.push_back({stray_at.name, default_config, {r},
                         "rule 1 (line 1): bytes that the rule's kind leaves at zero are not zero"});
    }
    for (Case& c : cases) {
        c.config.rule_count = static_cast<uint16_t>(c.rules.size());
        std::vector<std::string> problems;
        const std::string text = decode_config(c.config, "t", problems) + decode_rules(c.config, c.rules, "t", problems);
        ASSERT_EQ(problems.size(), 1u) << c.name << "\n" << text;
        EXPECT_EQ(problems[0], c.problem) << c.name;
        EXPECT_NE(text.find("# cannot be reproduced: " + printable(c.problem) + "\n"), std::string::npos) << c.name << text;
        // The file holds no control byte but its line ends: a tab is shown as \x09.
        EXPECT_EQ(std::count_if(text.begin(), text.end(), [](char ch) { return ch != '\n' && ch >= 0 && ch < 0x20; }), 0)
            << c.name << text;
    }
}
