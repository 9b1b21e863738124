// Intel HEX verification over the input as a file. A positive result counts
// the records kept, and the sender, reading the same file again, would send
// exactly those lines in that order, each holding every byte of its line and
// each a well-formed record, the end-of-file record last and only there. A
// negative result printed exactly one fault.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "firmware/hex_verify.hpp"
#include "support/fuzz_check.hpp"
#include "text/line_reader.hpp"

namespace {

// The record lines as the firmware update reads them for sending: from the
// start, through the same reader, every line that begins with a colon, as a
// C string. With `whole`, each line with every byte the reader gave, NUL
// bytes and what follows them included.
std::vector<std::string> record_lines(std::FILE* fp, bool whole) {
    std::vector<std::string> lines;
    std::rewind(fp);
    char line[HEX_LINE_LIMIT + 2];
    LineReader reader(fp, HEX_LINE_LIMIT, EndAfterFullPiece::separate);
    while (reader.read(line) == LineRead::line) {
        if (line[0] != ':') continue;
        if (whole) lines.emplace_back(line, reader.length());
        else lines.emplace_back(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::FILE* file = input_stream(data, size);
    std::vector<std::string> records;
    StringSink messages;
    const int result = inhexverify(file, &records, messages);
    const std::string out = messages.take();
    // The check starts from the file's start every time: a second one agrees.
    const int again = inhexverify(file, nullptr, messages);
    FUZZ_CHECK(again == result && messages.text() == out, out);

    if (result > 0) {
        FUZZ_CHECK(out.empty(), out);
        FUZZ_CHECK(static_cast<std::size_t>(result) == records.size(), out);
        // What is sent is what was checked, and what was checked is every
        // byte of the record lines.
        FUZZ_CHECK(record_lines(file, false) == records, out);
        FUZZ_CHECK(record_lines(file, true) == records, out);
        for (const std::string& r : records) {
            // ':' LL AAAA TT data CC, as the verifier reads the fields.
            FUZZ_CHECK(r.size() >= 11 && r.size() <= HEX_MAX_RECORD_CHARS && r[0] == ':', out);
            FUZZ_CHECK(r.size() == 2 * static_cast<std::size_t>(hex_to_int(r.c_str() + 1, 2)) + 11, out);
            FUZZ_CHECK(r[7] == '0' && r[8] >= '0' && r[8] <= '5', out);
            // The loader's byte counts: 0 for the end of file, 2 for a base,
            // 4 for a start address.
            const std::size_t data = r.size() - 11;
            FUZZ_CHECK(r[8] == '0' || data == (r[8] == '1' ? 0u : r[8] == '2' || r[8] == '4' ? 4u : 8u), out);
            FUZZ_CHECK(inhex_checksum(r.c_str() + 1) == 0, out);
            FUZZ_CHECK(r.find('\0') == std::string::npos, out);
            // Only a whole file passes: its one end-of-file record comes last.
            FUZZ_CHECK((r[8] == '1') == (&r == &records.back()), out);
        }
    } else {
        FUZZ_CHECK(result >= HEX_WRONG_BYTE_COUNT && result <= HEX_BAD_CHECKSUM && result != HEX_READ_FAILED, out);
        FUZZ_CHECK(count_of(out, "Error") == 1, out);
        FUZZ_CHECK(count_of(out, "\n") == 1 && out.back() == '\n', out);
    }
    std::fclose(file);
    return 0;
}
