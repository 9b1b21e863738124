// The operator's Ctrl-C. What a press asks for depends on what the program
// is doing when it comes:
// - while a console line is read, the line is dropped;
// - during a wait (power-on, Enter, a read), the command is cancelled: every
//   read of the port returns at once with what it has, and the command takes
//   its failure path;
// - during guarded work (the firmware transfer), the first press only warns
//   and a second one within GUARD_WINDOW_MS cancels.
// The handler only sets flags; the code that waits looks at them.
#pragma once

#include <cstdint>

enum class InterruptMode { line, wait, guarded };

inline constexpr int64_t GUARD_WINDOW_MS = 3000;

// Installs the SIGINT handler (on Windows the console's control handler,
// which leaves a press at a console line to the system). Until it is
// installed Ctrl-C ends the program as the system's default does.
void install_interrupt_handler();
bool interrupt_handler_installed();

// Sets the mode and returns the one it replaces.
InterruptMode set_interrupt_mode(InterruptMode mode);

// What the handler does for a press at `now_ms` (a monotonic time); tests
// call it on their virtual clock.
void interrupt_pressed(int64_t now_ms);

// The current command is to be cancelled.
bool cancel_requested();
// Cancels the current command (an interrupted wait for the operator's Enter).
void request_cancel();
// True once after the first press of guarded work.
bool take_interrupt_warning();
// True once after a press while a console line was read.
bool take_line_interrupt();
// Forgets every press: the next command starts afresh.
void clear_interrupts();

// Sets the mode for as long as it lives.
class InterruptModeScope {
public:
    explicit InterruptModeScope(InterruptMode mode) : previous_(set_interrupt_mode(mode)) {}
    ~InterruptModeScope() { set_interrupt_mode(previous_); }
    InterruptModeScope(const InterruptModeScope&) = delete;
    InterruptModeScope& operator=(const InterruptModeScope&) = delete;

private:
    InterruptMode previous_;
};
