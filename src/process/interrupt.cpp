#include "process/interrupt.hpp"

#include <atomic>
#include <csignal>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace {

// Process-wide: the signal handler has no other way to reach them.
// Lock-free atomics: safe to touch from the signal handler.
std::atomic<int> g_mode{static_cast<int>(InterruptMode::wait)};
std::atomic<bool> g_cancel{false};
std::atomic<bool> g_warning{false};
std::atomic<bool> g_line{false};
std::atomic<int64_t> g_warned_at{-1};
bool g_installed = false;  // one handler per process, as the signal is

#ifdef _WIN32
// Runs on a thread of its own. At a console line the press is left to the
// system (it ends the program, as it always has on Windows); during a wait
// or guarded work it is the program's.
BOOL WINAPI on_console_control(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (static_cast<InterruptMode>(g_mode.load()) == InterruptMode::line) return FALSE;
    interrupt_pressed(static_cast<int64_t>(GetTickCount64()));
    return TRUE;
}
#else
void on_sigint(int) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    interrupt_pressed(static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}
#endif

}  // namespace

void install_interrupt_handler() {
#ifdef _WIN32
    if (SetConsoleCtrlHandler(on_console_control, TRUE)) g_installed = true;
#else
    struct sigaction action {};
    action.sa_handler = on_sigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocking wait ends with EINTR and looks at the flags
    if (sigaction(SIGINT, &action, nullptr) == 0) g_installed = true;
#endif
}

bool interrupt_handler_installed() { return g_installed; }

InterruptMode set_interrupt_mode(InterruptMode mode) {
    return static_cast<InterruptMode>(g_mode.exchange(static_cast<int>(mode)));
}

void interrupt_pressed(int64_t now_ms) {
    switch (static_cast<InterruptMode>(g_mode.load())) {
    case InterruptMode::line:
        g_line = true;
        break;
    case InterruptMode::wait:
        g_cancel = true;
        break;
    case InterruptMode::guarded: {
        const int64_t warned = g_warned_at.load();
        if (warned >= 0 && now_ms - warned <= GUARD_WINDOW_MS) {
            g_cancel = true;
        } else {
            g_warned_at = now_ms;
            g_warning = true;
        }
        break;
    }
    }
}

bool cancel_requested() { return g_cancel.load(); }

void request_cancel() { g_cancel = true; }

bool take_interrupt_warning() { return g_warning.exchange(false); }

bool take_line_interrupt() { return g_line.exchange(false); }

void clear_interrupts() {
    g_cancel = false;
    g_warning = false;
    g_line = false;
    g_warned_at = -1;
}
