// Advice for an operator at a terminal: after a command's own messages, one
// line that says what to do about the fault. A hint is offered where the
// fault is found and shown by the shell once the command has ended; from a
// pipe it is dropped, so that transcripts stay as they were.
#pragma once

#include <optional>
#include <string>

// True when standard input and standard output are both terminals.
bool operator_at_terminal();
// Tests decide the answer; nullopt gives back the real one.
void set_operator_at_terminal(std::optional<bool> forced);

// Offers a hint for the command under way; the first one offered is kept.
void offer_hint(const std::string& text);
// The hint offered so far, or empty.
const std::string& offered_hint();
// Prints the offered hint as "Hint: ...\n" when the operator is at a
// terminal, and forgets it either way.
void show_hint();
