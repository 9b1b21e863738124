// One line of a Rules file while it is being checked.
#pragma once

#include <cstdint>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "text/line_reader.hpp"
#include "text/prefix_match.hpp"
#include "text/sink.hpp"
#include "text/tokens.hpp"

// The highest line number a rule record can hold (its line field has 16 bits).
inline constexpr int RULE_LINE_NUMBER_MAX = UINT16_MAX;

struct RuleLine {
    const char* file_name;       // as given to rules_process, for messages
    Sink* out;                   // where the messages go
    int number;                  // from 1; blank and comment lines count
    char text[LINE_BUFFER_SIZE];   // the line without its newline, for messages
    char tokens[LINE_BUFFER_SIZE]; // the same, cut into tokens as they are taken
    ArgumentCursor args;         // the cutting of tokens, and where the comment begins
};

// What the lines read so far have accepted.
struct RulesRun {
    int accepted = 0;   // records written plus implicit lines: held against the limit
    int implicit = 0;   // implicit lines
    int next_slot = 0;  // the slot the next record goes into
    // The implicit action the lines read so far ask for; it goes into the
    // configuration record only when the whole file has been read without
    // error, so a failed file leaves the reset value (pass) in force.
    uint16_t implicit_action = IMPLICIT_PASS;
};

// Prepares a line (already without its newline) for checking.
void start_rule_line(RuleLine& line, const char* text);

// Checks one line and applies it to the rule table (the run keeps the counts
// and the implicit action). Returns 0, or the RULES_* code of its error after
// printing it.
int process_rule_line(RuleTable& table, RuleLine& line, RulesRun& run);

// Prints the message of a line in error: head with file name and line number,
// the text formatted from `format`, tail with the line. Returns `code`.
[[gnu::format(printf, 3, 4)]] int line_error(const RuleLine& line, int code, const char* format, ...);

// The row of the rule command table that the command token names: any
// leading part of one word, without regard to case.
PrefixMatch match_rule_command(const char* token);
