#include "rules/rules_process.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "config/config_record.hpp"
#include "rules/rule_line.hpp"
#include "rules/rule_record.hpp"
#include "shell/shell_state.hpp"

RuleRead read_rule_line(std::FILE* file, char (&buffer)[RULE_LINE_SIZE]) {
    if (std::fgets(buffer, RULE_LINE_SIZE, file) == nullptr) return std::ferror(file) ? RuleRead::error : RuleRead::end;
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
            if (std::ferror(file)) return RuleRead::error;
        } else if (next != '\n') {
            std::ungetc(next, file);
        }
    }
    // A file written with CR LF line ends reads the same as one with LF.
    if (n > 0 && buffer[n - 1] == '\r') buffer[--n] = '\0';
    return RuleRead::line;
}

namespace {

// Opens a readable regular file; anything else (a folder, a device) is not a
// Rules file.
std::FILE* open_rules_file(const char* file_name) {
    std::FILE* file = std::fopen(file_name, "r");
    if (file == nullptr) return nullptr;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
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
        RuleRead got = read_rule_line(file, buffer);
        if (got == RuleRead::end) break;
        if (got == RuleRead::error) {
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
    std::FILE* file = open_rules_file(file_name);
    if (file == nullptr) {
        std::printf("\a\aError: cannot open %s\n", file_name);
        return -2;
    }
    int rc = rules_read(file, file_name);
    std::fclose(file);
    return rc;
}
