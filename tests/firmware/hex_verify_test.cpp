// Verification of Intel HEX files: results, messages and line numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/hex_files.hpp"
#include "support/files.hpp"
#include "firmware/hex_verify.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

struct Verified {
    int result;
    std::string out;
};

Verified verify_text(const std::string& text) {
    TempFile file(text);
    std::FILE* fp = std::fopen(file.path().c_str(), "r");
    StringSink out;
    int result = inhexverify(fp, nullptr, out);
    Verified v{result, out.take()};
    std::fclose(fp);
    return v;
}

int count_of(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++n;
    return n;
}

std::string checksum_message(const char* sum, int line) {
    return std::string("\a\aError: checksum mismatch (0x") + sum + ") for line " + std::to_string(line) +
           " in Firmware file!\n";
}

TEST(HexToInt, ReadsAFieldOfNCharacters) {
    struct Case {
        const char* text;
        int n;
        int value;
    } cases[] = {
        {"1F", 2, 0x1F}, {"a0", 2, 0xA0}, {"ff", 2, 255}, {" 7", 2, 7}, {"\t7", 2, 7},
        {"-1", 2, -1},   {"+F", 2, 15},   {"G1", 2, 0},   {"1G", 2, 1}, {"123", 2, 0x12},
        {"  5", 2, 0},   // the skipped blanks count against the field
        {"12", 0, 0},    {"12", -3, 0},   {nullptr, 2, 0}, {"", 2, 0}, {"0400", 4, 0x400},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hex_to_int(c.text, c.n), c.value) << (c.text ? c.text : "(null)") << " n=" << c.n;
    }
}

TEST(InhexChecksum, SumsBytePairsModulo256) {
    EXPECT_EQ(inhex_checksum("0400100001020304E2"), 0);
    EXPECT_EQ(inhex_checksum("0400100001020304E1"), 0xFF);
    EXPECT_EQ(inhex_checksum("00000001FF"), 0);
    EXPECT_EQ(inhex_checksum("00000001FF1"), 1);  // a lone last character is a field of its own
    EXPECT_EQ(inhex_checksum(""), 0);
}

TEST(Inhexverify, ResultsAndMessages) {
    const std::string ok = ":0400100001020304E2\n";
    const std::string eof = ":00000001FF\n";
    const std::string ll80 = hex_record(0x80, 0x0100, 0, std::vector<uint8_t>(128, 0xA5));
    const std::string ll81 = hex_record(0x81, 0x0100, 0, std::vector<uint8_t>(129, 0xA5));
    auto counted = [](char type, unsigned ll, unsigned holds, int line = 1) {
        return "\a\aError: type 0" + std::string(1, type) + " record with " + std::to_string(ll) +
               " data bytes (a type 0" + std::string(1, type) + " record holds " + std::to_string(holds) +
               ") for line " + std::to_string(line) + " in Firmware file!\n";
    };
    struct Case {
        const char* name;
        std::string text;
        int result;
        std::string out;
    } cases[] = {
        {"a valid data record", ok + eof, 2, ""},
        {"one data record and no end-of-file record", ok, -11,
         "\a\aError: no end-of-file record: the file may be cut short after line 1 in Firmware file!\n"},
        {"lower-case digits", ":0400100001020304e2\n" + eof, 2, ""},
        {"CR LF line ends", ":0400100001020304E2\r\n:00000001FF\r\n", 2, ""},
        {"no line end at the end", ":00000001FF", 1, ""},
        {"the end-of-file record alone", ":00000001FF\n", 1, ""},
        {"offset boundary", ":0400120001020304E0\n", -6,
         "\a\aError: data record offset boundary error for line 1 in Firmware file!\n"},
        {"offsets ending in c and C", hex_record(4, 0x002C, 0, {1, 2, 3, 4}) + "\n:04001c0001020304D6\n" + eof, 3, ""},
        {"checksum shows ff", ":0400100001020304E1\n", -2, checksum_message("ff", 1)},
        {"type 06", ":00000006FA\n", -3, "\a\aError: invalid type (06) for line 1 in Firmware file!\n"},
        {"type 10", hex_record(0, 0, 0x10, {}) + "\n", -3,
         "\a\aError: invalid type (10) for line 1 in Firmware file!\n"},
        {"every standard type", ":020000021000EC\n:0400000300003800C1\n:020000040800F2\n:0400000508000000EF\n" + eof,
         5, ""},
        // Each type but 00 holds its own number of data bytes, as the loader
        // takes it; the end-of-file record's load offset is not looked at.
        {"type 01 with a data byte", hex_record(1, 0, 1, {0}) + "\n", -16, counted('1', 1, 0)},
        {"type 02 with 1 data byte", hex_record(1, 0, 2, {0x10}) + "\n" + eof, -16, counted('2', 1, 2)},
        {"type 02 with 3 data bytes", hex_record(3, 0, 2, {0x10, 0, 0}) + "\n" + eof, -16, counted('2', 3, 2)},
        {"type 03 with 3 data bytes", hex_record(3, 0, 3, {0, 0, 0x38}) + "\n" + eof, -16, counted('3', 3, 4)},
        {"type 03 with 5 data bytes", hex_record(5, 0, 3, {0, 0, 0x38, 0, 0}) + "\n" + eof, -16, counted('3', 5, 4)},
        {"type 04 with no data bytes", hex_record(0, 0, 4, {}) + "\n" + eof, -16, counted('4', 0, 2)},
        {"type 04 with 3 data bytes", "; base\n" + hex_record(3, 0, 4, {0x08, 0, 0}) + "\n" + eof, -16,
         counted('4', 3, 2, 2)},
        {"type 05 with 2 data bytes", hex_record(2, 0, 5, {0x08, 0}) + "\n" + eof, -16, counted('5', 2, 4)},
        {"type 05 with 8 data bytes", hex_record(8, 0, 5, std::vector<uint8_t>(8, 1)) + "\n" + eof, -16,
         counted('5', 8, 4)},
        {"an end-of-file record at offset 0001", ok + ":00010001FE\n", 2, ""},
        {"LL 4 with 5 data bytes", hex_record(4, 0x0010, 0, {1, 2, 3, 4, 5}) + "\n", -4,
         "\a\aError: invalid record length (4) for line 1 in Firmware file!\n"},
        {"LL 0x80 is accepted", ll80 + "\n" + eof, 2, ""},
        {"LL 0x81", ll81 + "\n", -5, "\a\aError: record length > 128 (129) for line 1 in Firmware file!\n"},
        {"a trailing blank", ":0400100001020304E2 \n", -15,
         "\a\aError: not a hex digit (0x20) in column 20 for line 1 in Firmware file!\n"},
        {"a trailing digit", ":0400100001020304E21\n", -2, checksum_message("01", 1)},
        {"a colon alone has no type", ":\n", -3, "\a\aError: invalid type (  ) for line 1 in Firmware file!\n"},
        {"an empty file", "", -7, "\a\aError: Firmware file is empty!\n"},
        {"blank and comment lines only", "\n# firmware\n; nothing\n\r\n", -7, "\a\aError: Firmware file is empty!\n"},
        {"comment lines count for line numbers", "# build 7\n\n" + ok + "; tail\n:0400120001020304E0\n", -6,
         "\a\aError: data record offset boundary error for line 5 in Firmware file!\n"},
        {"a record after the end-of-file record", "# a\n" + eof + "\n" + ok + eof, -12,
         "\a\aError: record after the end-of-file record (line 2) for line 4 in Firmware file!\n"},
        {"comments after the end-of-file record", ok + eof + "\n; end\n", 2, ""},
        {"the first fault stops verification", ":0400100001020304E1\n:00000006FA\n", -2, checksum_message("ff", 1)},
        {"a line of 600 characters reads as two lines", std::string(600, 'x') + "\n:0400100001020304E1\n", -2,
         checksum_message("ff", 3)},
        {"a line of 511 characters and its line end", std::string(511, 'x') + "\n:0400100001020304E1\n", -2,
         checksum_message("ff", 3)},
        {"511 characters ending in CR LF", std::string(510, 'x') + "\r\n:0400100001020304E1\n", -2,
         checksum_message("ff", 2)},
    };
    for (const Case& c : cases) {
        Verified v = verify_text(c.text);
        EXPECT_EQ(v.result, c.result) << c.name;
        EXPECT_EQ(visible(v.out), visible(c.out)) << c.name;
    }
}

const std::string TOOLCHAINS = std::string(KORRI_SOURCE_DIR) + "/tests/data/toolchains/";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// Files as real toolchains write them pass whole; the mistakes an operator's
// files carry are each refused with the line at fault.
TEST(Inhexverify, ToolchainFilesAndTheirDamagedCopies) {
    const std::string avr = read_file(TOOLCHAINS + "avr-blink.hex");
    const std::vector<std::string> lines = lines_of(avr);
    ASSERT_EQ(lines.size(), 20u);
    std::vector<std::string> cut(lines.begin(), lines.begin() + 10), overlapping = lines, indented = lines,
                                                                     tabbed = lines, typo = lines;
    overlapping.insert(overlapping.begin() + 5, lines[2]);  // 0x0020 again, as line 6
    indented[4] = " " + lines[4];
    tabbed[4] = "\t \t" + lines[4];
    const std::size_t zero = typo[6].find("00", 9);
    typo[6][zero + 1] = 'O';
    const std::string eof = ":00000001FF\n";
    const std::string at = "\a\aError: ";
    struct Case {
        std::string name;
        std::string text;
        int result;  // 0: the number of record lines
        std::string out;
    } cases[] = {
        {"cut short", joined(cut), -11,
         at + "no end-of-file record: the file may be cut short after line 10 in Firmware file!\n"},
        {"cat a.hex b.hex", avr + read_file(TOOLCHAINS + "objcopy-0x08000000.hex"), -12,
         at + "record after the end-of-file record (line 20) for line 21 in Firmware file!\n"},
        {"a record repeated", joined(overlapping), -13,
         at + "address written twice (0x00000020, first by line 3) for line 6 in Firmware file!\n"},
        {"a blank before the colon", joined(indented), -14,
         at + "blank or tab before the colon for line 5 in Firmware file!\n"},
        {"tabs and a blank before the colon", joined(tabbed), -14,
         at + "blank or tab before the colon for line 5 in Firmware file!\n"},
        {"0O typed for 00", joined(typo), -15,
         at + "not a hex digit (O) in column " + std::to_string(zero + 2) + " for line 7 in Firmware file!\n"},
        {"sdcc's offsets", read_file(TOOLCHAINS + "sdcc-count51.hex"), -6,
         at + "data record offset boundary error for line 2 in Firmware file!\n"},
        {"255-byte records", read_file(TOOLCHAINS + "srec-255.hex"), -9,
         at + "record line too long (521 characters) for line 2 in Firmware file!\n"},
        {"a binary file", std::string("\x7f" "ELF\x01\x01\x01\0\0\n\x02\0:", 14), -10,
         at + "Firmware file is not an Intel HEX file!\n"},
        {"text without records", "S00600004844521B\nS9030000FC\n", -7, at + "Firmware file is empty!\n"},
        {"control bytes", "\x01\x02 text\n", -10, at + "Firmware file is not an Intel HEX file!\n"},
        {"text and an old DOS end", "S00600004844521B\n\x1a", -7, at + "Firmware file is empty!\n"},
        // Bases: the same offset under other bases is another address.
        {"linear bases", ":020000040000FA\n" + data_record(0, 16) + "\n:020000040001F9\n" + data_record(0, 16) + "\n" + eof,
         0, ""},
        {"segment bases", ":020000020000FC\n" + data_record(0x10, 16) + "\n:020000020001FB\n" + data_record(0, 16) + "\n",
         -13, at + "address written twice (0x00000010, first by line 2) for line 4 in Firmware file!\n"},
        {"a segment's offsets wrap", data_record(4, 4) + "\n" + data_record(0xFFF8, 16) + "\n" + eof, -13,
         at + "address written twice (0x00000004, first by line 1) for line 2 in Firmware file!\n"},
    };
    for (const char* name : {"avr-blink.hex", "objcopy-0x08000000.hex", "intelhex-16-start03.hex",
                             "intelhex-32-start05.hex", "intelhex-128-start05.hex", "srec-i8hex.hex", "srec-i16hex.hex",
                             "srec-i32hex.hex"}) {
        const std::string text = read_file(TOOLCHAINS + name);
        ASSERT_FALSE(text.empty()) << name;
        Verified v = verify_text(text);
        EXPECT_EQ(v.result, count_of(text, "\n:") + (text[0] == ':')) << name;
        EXPECT_EQ(visible(v.out), "") << name;
    }
    for (const Case& c : cases) {
        Verified v = verify_text(c.text);
        EXPECT_EQ(v.result, c.result == 0 ? count_of(c.text, "\n:") + (c.text[0] == ':') : c.result) << c.name;
        EXPECT_EQ(visible(v.out), visible(c.out)) << c.name;
    }
}

TEST(Inhexverify, NullFileAndRereading) {
    StringSink out;
    EXPECT_EQ(inhexverify(nullptr, nullptr, out), -1);
    EXPECT_EQ(out.take(), "inhexverify: Error: param fp is invalid\n");

    // The file is set back to its start, so a second verification agrees.
    TempFile file(hex_file_of(5));
    std::FILE* fp = std::fopen(file.path().c_str(), "r");
    EXPECT_EQ(inhexverify(fp, nullptr, out), 5);
    EXPECT_EQ(inhexverify(fp, nullptr, out), 5);
    std::fclose(fp);
}

}  // namespace
