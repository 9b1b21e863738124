// Has a shell print into a string instead of standard output for the
// lifetime of the object: what the shell's own code prints through
// shell.out (prompts, questions, refusals, argument messages) and what the
// port layer prints.
#pragma once

#include <string>

#include "shell/shell_state.hpp"
#include "text/sink.hpp"

class ShellOutput {
public:
    explicit ShellOutput(ShellState& shell) : shell_(shell), saved_(shell.out), saved_port_(&shell.port.out()) {
        shell.out = &sink_;
        shell.port.set_out(sink_);
    }
    ~ShellOutput() {
        shell_.out = saved_;
        shell_.port.set_out(*saved_port_);
    }
    ShellOutput(const ShellOutput&) = delete;
    ShellOutput& operator=(const ShellOutput&) = delete;

    // What the shell printed since the start or the last call.
    std::string text() { return sink_.take(); }

private:
    ShellState& shell_;
    StringSink sink_;
    Sink* saved_;
    Sink* saved_port_;
};
