#include "text/hints.hpp"

#include <unistd.h>

#include <cstdio>

namespace {

std::optional<bool> g_forced;
std::string g_hint;

}  // namespace

bool operator_at_terminal() {
    if (g_forced) return *g_forced;
    return isatty(STDIN_FILENO) != 0 && isatty(STDOUT_FILENO) != 0;
}

void set_operator_at_terminal(std::optional<bool> forced) { g_forced = forced; }

void offer_hint(const std::string& text) {
    if (g_hint.empty()) g_hint = text;
}

const std::string& offered_hint() { return g_hint; }

void show_hint() {
    if (!g_hint.empty() && operator_at_terminal()) std::printf("Hint: %s\n", g_hint.c_str());
    g_hint.clear();
}
