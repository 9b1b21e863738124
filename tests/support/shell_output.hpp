// Has the shell print into a string instead of standard output for the
// lifetime of the object: what the shell's own code prints through
// shell.out (prompts, questions, refusals, argument messages).
#pragma once

#include <string>

#include "shell/shell_state.hpp"
#include "text/sink.hpp"

class ShellOutput {
public:
    ShellOutput() : saved_(shell.out) { shell.out = &sink_; }
    ~ShellOutput() { shell.out = saved_; }
    ShellOutput(const ShellOutput&) = delete;
    ShellOutput& operator=(const ShellOutput&) = delete;

    // What the shell printed since the start or the last call.
    std::string text() { return sink_.take(); }

private:
    StringSink sink_;
    Sink* saved_;
};
