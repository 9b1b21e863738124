// The Rules file parser over the input as a file. On success at most 50
// records, each within the ranges the parser enforces, and every byte after
// them 0; on failure no record counted and exactly one line message.
#include <cstdint>
#include <cstdio>
#include <string>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "station/station.hpp"
#include "support/fuzz_check.hpp"
#include "support/image_checks.hpp"
#include "text/sink.hpp"

namespace {

// The file's name holds line feeds, which no line of the file can: so the
// head of a line message cannot be spelt by a quoted line.
const char FILE_NAME[] = "fuzz\n.rul";
const char HEAD[] = "\a\aError: fuzz\n.rul[";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Station station;
    const ConfigRecord& config = station.config;
    std::FILE* file = input_stream(data, size);
    StringSink printed;
    const int rc = rules_read(station, file, FILE_NAME, printed);
    const std::string_view out = printed.text();
    std::fclose(file);

    FUZZ_CHECK(config.rule_count <= MAX_RULES, out);
    FUZZ_CHECK(config.implicit_action == IMPLICIT_PASS || config.implicit_action == IMPLICIT_DROP, out);
    if (rc == 0) {
        const std::string expected_start = "Rules processed " + std::to_string(config.rule_count) + ", implicit ";
        FUZZ_CHECK(out.rfind(expected_start, 0) == 0, out);
        FUZZ_CHECK(count_of(out, "\n") == 1 && out.back() == '\n', out);
        check_rule_table(station, true, out);
        return 0;
    }
    FUZZ_CHECK(rc < 0 && rc != RULES_CANNOT_OPEN, out);  // a read error, which a memory file never gives
    FUZZ_CHECK(count_of(out, HEAD) == 1, out);
    // An angle's own message may stand before the line message; nothing else.
    const std::size_t head = out.find(HEAD);
    FUZZ_CHECK(count_of(out.substr(0, head), "Error") <= 1, out);
    // The message ends with the quoted line: head, ":\n", the line, "\n".
    FUZZ_CHECK(count_of(out.substr(head + sizeof HEAD - 1), "\n") == 2 && out.back() == '\n', out);
    FUZZ_CHECK(out.substr(0, head).find("Rules processed") == std::string_view::npos, out);
    check_rule_table(station, false, out);
    return 0;
}
