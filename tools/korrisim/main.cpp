// korrisim: plays the Korrimatic device on a pseudo-terminal, for the tests,
// the benchmarks and the demo. It prints the slave's path, makes the link
// given with --link, and then answers the utility as the device would.
#include <cstdio>
#include <cstring>
#include <string>

#include "console_mode.hpp"
#include "download_receiver.hpp"
#include "firmware_loader.hpp"
#include "power_on.hpp"
#include "power_switch.hpp"
#include "pty_port.hpp"
#include "sim_log_file.hpp"
#include "vanish.hpp"

namespace {

void print_usage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: korrisim [options]\n"
                 "Creates a pseudo-terminal, prints its slave path and plays the Korrimatic on it.\n"
                 "  --link=PATH          also make PATH a symlink to the slave\n"
                 "  --power=auto         power on once the host has opened the port and has been\n"
                 "                       quiet for --quiet-ms (the default)\n"
                 "  --power=control      power on only on the control command 'on'\n"
                 "  --quiet-ms=MS        quiet time of the automatic power-on (300)\n"
                 "  --control=FIFO|-     control channel: a FIFO (made if missing) or standard input;\n"
                 "                       commands: on, off, cycle, say TEXT, settings, quit\n"
                 "  --pace               send at the line rate (10 bits a byte)\n"
                 "  --answer-delay=MS    everything sent reaches the host MS ms later, as through a USB\n"
                 "                       adapter's latency timer (16 ms by default there)\n"
                 "  --log=FILE           log to FILE instead of standard error\n"
                 "%s%s%s%s",
                 power_on_usage(), console_usage(), download_receiver_usage(), firmware_loader_usage());
}

bool parse_options(int argc, char** argv, SimOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--", 2) != 0 || a[2] == '\0') return false;
        const char* eq = std::strchr(a, '=');
        if (eq == nullptr) options.values[a + 2] = "";
        else options.values[std::string(a + 2, eq)] = eq + 1;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions options;
    if (!parse_options(argc, argv, options)) {
        print_usage(stderr);
        return 2;
    }
    if (options.has("help")) {
        print_usage(stdout);
        return 0;
    }
    std::string power = options.get("power", "auto");
    std::string mode = options.get("mode", "device");
    PowerOnMode power_on_mode{};
    VanishPoint vanish;
    if ((power != "auto" && power != "control") || !parse_power_on_mode(options, power_on_mode) ||
        (options.has("vanish") && !parse_vanish(options.get("vanish"), vanish))) {
        print_usage(stderr);
        return 2;
    }
    if (options.has("log")) {
        std::FILE* log = std::fopen(options.get("log").c_str(), "a");
        if (log == nullptr) {
            std::perror("korrisim: log");
            return 1;
        }
        sim_log_to(log);
    }
    PowerSwitch power_switch(power == "auto", options.get_long("quiet-ms", 300));
    PtyPort port(options.get("link"), options.get("control"), power_switch, options.has("pace"));
    port.set_delivery_delay_ms(options.get_long("answer-delay", 0));
    std::printf("%s\n", port.slave_path().c_str());
    std::fflush(stdout);
    sim_log("device on %s, mode %s, power %s", port.slave_path().c_str(), mode.c_str(), power.c_str());
    run_device(port, options);
    return 0;
}
