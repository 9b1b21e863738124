#pragma once

struct ShellState;

// Prints the command summary, with the rates that connect and baud accept and
// the default connection rate in brackets.
void show_summary(ShellState& shell);
