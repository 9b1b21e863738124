#include "text/hints.hpp"

#include <unistd.h>

bool Hints::operator_at_terminal() const {
    if (forced_) return *forced_;
    return isatty(STDIN_FILENO) != 0 && isatty(STDOUT_FILENO) != 0;
}

void Hints::offer(const std::string& text) {
    if (hint_.empty()) hint_ = text;
}

void Hints::prefer(const std::string& text) {
    if (!text.empty()) hint_ = text;
}

std::string Hints::take() {
    std::string hint;
    hint.swap(hint_);
    return hint;
}

void Hints::show(Sink& out) {
    if (!hint_.empty() && operator_at_terminal()) out.printf("Hint: %s\n", hint_.c_str());
    hint_.clear();
}

Hints& console_hints() {
    static Hints hints;
    return hints;
}

bool operator_at_terminal() { return console_hints().operator_at_terminal(); }

void set_operator_at_terminal(std::optional<bool> forced) { console_hints().set_operator_at_terminal(forced); }

void offer_hint(const std::string& text) { console_hints().offer(text); }

void prefer_hint(const std::string& text) { console_hints().prefer(text); }

const std::string& offered_hint() { return console_hints().offered(); }

void show_hint() { console_hints().show(standard_output()); }
