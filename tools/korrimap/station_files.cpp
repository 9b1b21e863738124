#include "korrimap/station_files.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "config/config_parser.hpp"
#include "config/config_record.hpp"
#include "rules/rule_line.hpp"
#include "rules/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "text/input_file.hpp"

namespace {

// Sends standard output to a temporary file for the object's lifetime and
// hands back what was written.
class StdoutCollector {
public:
    StdoutCollector() {
        std::fflush(stdout);
        file_ = std::tmpfile();
        saved_ = dup(STDOUT_FILENO);
        if (file_ != nullptr && saved_ >= 0) dup2(fileno(file_), STDOUT_FILENO);
    }
    ~StdoutCollector() {
        restore();
        if (file_ != nullptr) std::fclose(file_);
    }
    StdoutCollector(const StdoutCollector&) = delete;
    StdoutCollector& operator=(const StdoutCollector&) = delete;

    std::string text() {
        restore();
        std::string out;
        if (file_ == nullptr) return out;
        std::rewind(file_);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_)) > 0;) out.append(buffer, n);
        return out;
    }

private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
        saved_ = -1;
    }
    std::FILE* file_;
    int saved_;
};

}  // namespace

bool load_station_files(const std::string& config_file, const std::string& rules_file, std::string& messages) {
    StdoutCollector collector;
    bool ok = conf_process(config_file.c_str()) == 0;
    if (!ok) {
        std::printf("\a\aError: Configuration processing failed\n");
    } else if (rules_process(rules_file.c_str()) != 0) {
        std::printf("\a\aError: Rule processing failed\n");
        ok = false;
    }
    messages = collector.text();
    return ok;
}

int last_implicit_line(const std::string& rules_file) {
    InputFile input(rules_file.c_str());
    if (!input) return 0;
    std::FILE* file = input.get();
    // The parser's own line loop again, watching which lines are implicit
    // ones; the file was read without error before, so nothing is printed.
    const RuleTable table = rule_table;
    const ConfigRecord record = config;
    RulesRun run;
    RuleLine line{};
    line.file_name = rules_file.c_str();
    char buffer[RULE_LINE_SIZE];
    int found = 0;
    LineReader reader = rules_line_reader(file);
    while (reader.read(buffer) == LineRead::line) {
        ++line.number;
        start_rule_line(line, buffer);
        const int before = run.implicit;
        if (process_rule_line(line, run) != 0) break;
        if (run.implicit > before) found = line.number;
    }
    rule_table = table;
    config = record;
    return found;
}
