// Runs a built program with a given standard input and collects what it
// printed and how it ended.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct ProgramResult {
    std::string out;
    std::string err;
    int exit_status = -1;  // the exit status, or -1 when a signal ended it
    int signal = 0;        // the signal that ended it, or 0
};

struct ProgramOptions {
    std::vector<std::pair<std::string, std::string>> env;  // added to the environment
    std::string cwd;                                        // working folder, or the current one
    int timeout_seconds = 120;                              // killed after this
    std::vector<std::string> utility_args;                  // the utility's options (run_korrimatic, SimSession)
};

ProgramResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::string& input, const ProgramOptions& options = {});

// Starts a program with its environment additions and working folder from
// `options`, and pipes on its standard input and output, and on its standard
// error when `err` is given (otherwise it writes to this one's). `in`, `out`
// and `*err` receive this side's ends; returns the pid.
pid_t start_program(const std::string& path, const std::vector<std::string>& args, const ProgramOptions& options,
                    int& in, int& out, int* err);

// Waits for a started program to end and records how it ended in `result`.
void wait_program(pid_t pid, ProgramResult& result);

// The utility the end-to-end tests run: the built korrimatic, or the program
// that KORRIMATIC_UNDER_TEST names. A Windows build (a name ending in .exe)
// runs under Wine through the korrimatic-wine launcher.
struct ProgramCommand {
    std::string path;
    std::vector<std::string> args;  // before the program's own
    bool wine = false;
};
const ProgramCommand& korrimatic_command();
bool under_wine();

// Skips a test whose subject Wine does not provide, naming what.
#define SKIP_UNDER_WINE(reason) \
    if (under_wine()) GTEST_SKIP() << "Wine " << reason

// The utility under test with the given console input.
ProgramResult run_korrimatic(const std::string& input, const ProgramOptions& options = {});

// What the utility prints at start-up with the default configuration, up to
// and including its first prompt.
std::string startup_text();

// Shows control characters so that a failed comparison is readable.
std::string visible(const std::string& text);
