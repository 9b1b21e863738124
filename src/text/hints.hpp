// Advice for an operator at a terminal: after a command's own messages, one
// line that says what to do about the fault. A hint is offered where the
// fault is found and shown by the shell once the command has ended; from a
// pipe it is dropped, so that transcripts stay as they were.
#pragma once

#include <optional>
#include <string>

#include "text/sink.hpp"

// The hint of the command under way, and whether the operator is at a
// terminal to see it.
class Hints {
public:
    // True when standard input and standard output are both terminals.
    bool operator_at_terminal() const;
    // Tests decide the answer; nullopt gives back the real one.
    void set_operator_at_terminal(std::optional<bool> forced) { forced_ = forced; }

    // Offers a hint; the first one offered is kept.
    void offer(const std::string& text);
    // Offers a hint that says more than any offered before it (a whole line
    // written again with its fix): it takes their place. Empty does nothing.
    void prefer(const std::string& text);
    // The hint offered so far, which is then forgotten: --check prints it.
    std::string take();
    // The hint offered so far, or empty.
    const std::string& offered() const { return hint_; }
    // Prints the offered hint as "Hint: ...\n" when the operator is at a
    // terminal, and forgets it either way.
    void show(Sink& out);

private:
    std::optional<bool> forced_;
    std::string hint_;
};

// The console's hints, like standard_output() the console's sink: the ones
// the commands offer and the shell shows. The functions below work on them.
Hints& console_hints();

bool operator_at_terminal();
void set_operator_at_terminal(std::optional<bool> forced);
void offer_hint(const std::string& text);
void prefer_hint(const std::string& text);
const std::string& offered_hint();
// Shows the console's hint on standard output.
void show_hint();

// While it lives, hints offered go nowhere: a hint that tries readings of a
// text (by the parsers' own functions, which offer hints of their own) keeps
// the console's hint as it was.
class HintsKept {
public:
    HintsKept() : kept_(console_hints().take()) {}
    ~HintsKept() {
        console_hints().take();
        console_hints().offer(kept_);
    }
    HintsKept(const HintsKept&) = delete;
    HintsKept& operator=(const HintsKept&) = delete;

private:
    std::string kept_;
};
