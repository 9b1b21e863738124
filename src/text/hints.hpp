// Advice for an operator at a terminal: after a command's own messages, one
// line that says what to do about the fault. A hint is offered where the
// fault is found, on the sink the messages go to, and shown by the shell once
// the command has ended; from a pipe it is dropped, so that transcripts stay
// as they were.
#pragma once

#include <string>

// The hint of the command under way.
class Hints {
public:
    // Offers a hint; the first one offered is kept.
    void offer(const std::string& text);
    // Offers a hint that says more than any offered before it (a whole line
    // written again with its fix): it takes their place. Empty does nothing.
    void prefer(const std::string& text);
    // The hint offered so far, which is then forgotten: --check prints it.
    std::string take();
    // The hint offered so far, or empty.
    const std::string& offered() const { return hint_; }

private:
    std::string hint_;
};
