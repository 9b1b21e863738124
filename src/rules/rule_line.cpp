#include "rules/rule_line.hpp"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "station/config_record.hpp"
#include "rules/rule_arguments.hpp"
#include "rules/rules_codes.hpp"
#include "text/suggest.hpp"

namespace {

// The action word and the command word end at a blank, a tab or a comma.
constexpr const char* WORD_SEPARATORS_OF_RULES = " \t,";

// The action code of a whole action word, any letter case; 0 when none.
uint8_t action_code(const char* word) {
    for (const RuleAction& a : rule_action_words)
        if (strcasecmp(word, a.word) == 0) return a.code;
    return 0;
}

}  // namespace

PrefixMatch match_rule_command(const char* token) {
    return prefix_match(token, rule_command_table, [](const RuleCommand& row) { return row.word; });
}

void start_rule_line(RuleLine& line, const char* text) {
    std::snprintf(line.text, sizeof line.text, "%s", text);
    std::memcpy(line.tokens, line.text, sizeof line.tokens);
    line.args = argument_cursor(line.tokens);
}

int line_error(const RuleLine& line, int code, const char* format, ...) {
    Sink& out = *line.out;
    out.error("%s[%d]: ", line.file_name, line.number);
    va_list args;
    va_start(args, format);
    out.vprintf(format, args);
    va_end(args);
    out.printf(":\n%s\n", line.text);
    return code;
}

int process_rule_line(RuleTable& table, RuleLine& line, RulesRun& run) {
    const char* first = next_token(line.args.cursor, WORD_SEPARATORS_OF_RULES);
    if (first == nullptr || is_comment_char(first[0])) return 0;  // a blank or comment line
    const uint8_t action = action_code(first);
    if (action == 0) {
        line.out->hints().offer(did_you_mean(first, rule_action_words, [](const RuleAction& a) { return a.word; }));
        return line_error(line, RULES_BAD_ACTION, "action %s invalid", first);
    }

    const char* command = next_token(line.args.cursor, WORD_SEPARATORS_OF_RULES);
    if (command == nullptr) return line_error(line, RULES_NO_ARGUMENTS, "missing arguments");
    if (is_comment_char(command[0])) return line_error(line, RULES_COMMAND_IN_COMMENT, "missing command");
    if (run.accepted >= MAX_RULES) return line_error(line, RULES_LIMIT_EXCEEDED, "rule limit (%d) exceeded", MAX_RULES);

    const PrefixMatch m = match_rule_command(command);
    if (m.result == Match::ambiguous) {
        line.out->hints().offer(
            candidates_hint(command, rule_command_table, [](const RuleCommand& row) { return row.word; }));
        return line_error(line, RULES_BAD_COMMAND, "Ambiguous command: %s", command);
    }
    if (m.result == Match::unknown) {
        line.out->hints().offer(
            did_you_mean(command, rule_command_table, [](const RuleCommand& row) { return row.word; }));
        return line_error(line, RULES_BAD_COMMAND, "command %s invalid", command);
    }
    const RuleCommand* row = &rule_command_table[m.index];

    if (row->kind == KIND_IMPLICIT) {
        run.implicit_action = action == ACTION_DROP ? IMPLICIT_DROP : IMPLICIT_PASS;
        ++run.accepted;
        ++run.implicit;
        return 0;
    }

    // A record names its line in 16 bits: a rule further down could not be told apart.
    if (line.number > RULE_LINE_NUMBER_MAX)
        return line_error(line, RULES_LINE_NUMBER_TOO_HIGH, "line number above %d does not fit the rule record",
                          RULE_LINE_NUMBER_MAX);

    RuleRecord& record = table.slot[run.next_slot];
    record.kind = row->kind;
    record.action_mods = action;
    record.line = static_cast<uint16_t>(line.number);
    int rc = read_rule_arguments(line, record);
    if (rc != 0) return rc;
    ++run.accepted;
    ++run.next_slot;
    return 0;
}
