#include "rules/rules_process.hpp"

#include <cstdio>
#include <cstring>

#include "station/config_record.hpp"
#include "rules/rule_line.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_codes.hpp"
#include "station/station.hpp"
#include "text/input_file.hpp"
#include "text/line_reader.hpp"
#include "text/sink.hpp"

namespace {

void reset_rules(Station& station) {
    // cppcheck-suppress memsetClassFloat ; the table's bytes are the image: every one must be 0
    std::memset(&station.rule_table, 0, sizeof station.rule_table);
    station.config.rule_count = 0;
    station.config.implicit_action = IMPLICIT_PASS;
}

}  // namespace

LineReader rules_line_reader(std::FILE* file) {
    return LineReader(file, LINE_LENGTH_MAX, EndAfterFullPiece::belongs);
}

int rules_read(Station& station, std::FILE* file, const char* file_name, Sink& out) {
    reset_rules(station);
    RulesRun run;
    RuleLine line{};
    line.file_name = file_name;
    line.out = &out;
    LineReader reader = rules_line_reader(file);
    char buffer[LINE_BUFFER_SIZE];
    for (;;) {
        const LineRead got = reader.read(buffer);
        if (got == LineRead::end) break;
        if (got == LineRead::error) {
            out.error("cannot read %s\n", file_name);
            return RULES_CANNOT_OPEN;
        }
        ++line.number;
        start_rule_line(line, buffer);
        int rc = process_rule_line(station.rule_table, line, run);
        if (rc != 0) return rc;
    }
    station.config.rule_count = static_cast<uint16_t>(run.accepted - run.implicit);
    station.config.implicit_action = run.implicit_action;
    out.printf("Rules processed %d, implicit %d\n", station.config.rule_count, run.implicit);
    return 0;
}

int rules_load(Station& station, const char* file_name, bool& opened, Sink& out) {
    opened = false;
    if (file_name == nullptr) {
        out.printf("rules_process: Error: param rfp is invalid\n");  // "rfp": kept as operators' scripts expect
        return RULES_NO_FILE_NAME;
    }
    InputFile file(file_name, out);
    if (!file) return RULES_CANNOT_OPEN;
    opened = true;
    return rules_read(station, file.get(), file_name, out);
}

int rules_process(Station& station, const char* file_name, Sink& out) {
    bool opened = false;
    const int result = rules_load(station, file_name, opened, out);
    if (opened) station.rules_processed = result == 0 ? 1 : 0;
    return result;
}
