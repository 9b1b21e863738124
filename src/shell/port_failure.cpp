#include "shell/port_failure.hpp"

#include <cstdio>
#include <cstdlib>

#include "process/pause.hpp"

namespace {

constexpr uint32_t FATAL_PAUSE_MS = 5000;

}  // namespace

void report_fatal(SerialPort& port, int code, const char* message, const ReadFailurePolicy& policy) {
    if (policy.survivable) std::fputs("\n", stderr);  // below a wait's unfinished line
    std::fputs(message, stderr);
    std::fprintf(stderr, "Return code %d, system error code %d\n", code, static_cast<int>(port.last_error()));
    if (code != 0) {
        if (policy.survivable) throw PortLost{code};  // at a terminal: the command ends, not the program
        if (policy.pause) policy.pause(FATAL_PAUSE_MS);
        else pause_ms(FATAL_PAUSE_MS);
        std::abort();
    }
}

ReadFailureHandler read_failure_handler(ReadFailurePolicy policy) {
    return [policy = std::move(policy)](SerialPort& port, int code, const char* message) {
        report_fatal(port, code, message, policy);
    };
}
