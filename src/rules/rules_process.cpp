#include "rules/rules_process.hpp"

#include <cstdio>
#include <cstring>

#include "config/config_record.hpp"
#include "rules/rule_line.hpp"
#include "rules/rule_record.hpp"
#include "shell/shell_state.hpp"
#include "text/input_file.hpp"

namespace {

enum class Read { line, end, error };

// Reads the next line of at most 255 characters, without its line end. A
// longer line comes in pieces of 255 characters; the line end after a full
// piece belongs to it and is not read as an empty line of its own.
Read read_rule_line(std::FILE* file, char (&buffer)[RULE_LINE_SIZE]) {
    if (std::fgets(buffer, RULE_LINE_SIZE, file) == nullptr) return std::ferror(file) ? Read::error : Read::end;
    std::size_t n = std::strlen(buffer);
    if (n > 0 && buffer[n - 1] == '\n') {
        buffer[--n] = '\0';
    } else if (n == RULE_LINE_SIZE - 1) {
        int next = std::getc(file);
        if (next == '\r') {
            // A CR LF line end; a lone CR here is dropped like one at a line end.
            next = std::getc(file);
        }
        if (next == EOF) {
            if (std::ferror(file)) return Read::error;
        } else if (next != '\n') {
            std::ungetc(next, file);
        }
    }
    // A file written with CR LF line ends reads the same as one with LF.
    if (n > 0 && buffer[n - 1] == '\r') buffer[--n] = '\0';
    return Read::line;
}

void reset_rules() {
    std::memset(&rule_table, 0, sizeof rule_table);
    config.rule_count = 0;
    config.implicit_action = IMPLICIT_PASS;
    shell.rules_processed = 0;
}

}  // namespace

int rules_read(std::FILE* file, const char* file_name) {
    reset_rules();
    RulesRun run;
    RuleLine line{};
    line.file_name = file_name;
    char buffer[RULE_LINE_SIZE];
    for (;;) {
        Read got = read_rule_line(file, buffer);
        if (got == Read::end) break;
        if (got == Read::error) {
            std::printf("\a\aError: cannot read %s\n", file_name);
            return -2;
        }
        ++line.number;
        start_rule_line(line, buffer);
        int rc = process_rule_line(line, run);
        if (rc != 0) return rc;
    }
    config.rule_count = static_cast<uint16_t>(run.accepted - run.implicit);
    shell.rules_processed = 1;
    std::printf("Rules processed %d, implicit %d\n", config.rule_count, run.implicit);
    return 0;
}

int rules_process(const char* file_name) {
    if (file_name == nullptr) {
        std::printf("rules_process: Error: param rfp is invalid\n");
        return -1;
    }
    InputFile file(file_name);
    if (!file) {
        std::printf("\a\aError: cannot open %s\n", file_name);
        return -2;
    }
    return rules_read(file.get(), file_name);
}
