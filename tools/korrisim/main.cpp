// korrisim: plays the Korrimatic device on a pseudo-terminal.
// Placeholder until the console, the power-on and the line are built.
#include <cstdarg>
#include <cstdio>

#include "download_receiver.hpp"
#include "firmware_loader.hpp"

void sim_log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

int main() {
    std::fprintf(stderr, "korrisim: not built yet\n%s%s", download_receiver_usage(), firmware_loader_usage());
    return 2;
}
