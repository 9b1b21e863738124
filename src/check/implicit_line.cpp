#include "check/implicit_line.hpp"

#include "rules/rule_line.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "text/input_file.hpp"
#include "text/sink.hpp"

int last_implicit_line(const char* rules_file) {
    InputFile input(rules_file);
    if (!input) return 0;
    // The parser's own line loop again, watching which lines are implicit
    // ones; the file was read without error before, so nothing is printed.
    RuleTable table{};
    RulesRun run;
    RuleLine line{};
    line.file_name = rules_file;
    StringSink quiet;  // a file changed since its first reading is not reported here
    line.out = &quiet;
    char buffer[LINE_BUFFER_SIZE];
    int found = 0;
    LineReader reader = rules_line_reader(input.get());
    while (reader.read(buffer) == LineRead::line) {
        ++line.number;
        start_rule_line(line, buffer);
        const int before = run.implicit;
        if (process_rule_line(table, line, run) != 0) break;
        if (run.implicit > before) found = line.number;
    }
    return found;
}
