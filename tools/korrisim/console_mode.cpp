#include "console_mode.hpp"

#include <cstdlib>
#include <string>

#include "console_texts.hpp"
#include "control_command.hpp"
#include "download_receiver.hpp"
#include "power_on.hpp"
#include "sim_clock.hpp"
#include "vanish.hpp"

namespace {

constexpr std::size_t MAX_COMMAND = 256;
constexpr uint8_t ATTENTION = 0x03;

class Console {
public:
    Console(PtyPort& port, const SimOptions& options) : port_(port), options_(options) {}

    void run() {
        for (;;) {
            int byte = 0;
            switch (port_.next_event(SimClock::time_point::max(), byte)) {
            case SimEvent::host_opened: send_stale(); break;
            case SimEvent::host_closed: break;
            case SimEvent::power_off:
                sim_log("power off");
                on_ = false;
                break;
            case SimEvent::power_on: power_on(); break;
            case SimEvent::byte: receive(static_cast<uint8_t>(byte)); break;
            case SimEvent::timeout: break;
            }
        }
    }

private:
    void say(const std::string& text) {
        if (!options_.has("nul")) {
            port_.write(text);
            return;
        }
        std::string spaced;  // a NUL after every byte
        for (char c : text) {
            spaced += c;
            spaced += '\0';
        }
        port_.write(spaced);
    }

    void send_stale() {
        long count = options_.get_long("stale", 0);
        if (count <= 0) return;
        std::string junk;
        for (long i = 0; i < count; ++i) junk += static_cast<char>('a' + i % 26);
        sim_log("sending %ld stale bytes", count);
        port_.write(junk);
    }

    void power_on() {
        sim_sleep_ms(options_.get_long("power-delay", 0));
        command_.clear();
        if (run_power_on(port_, options_) == PowerOnOutcome::loader_ran) {
            on_ = false;
            return;
        }
        if (options_.has("silent")) {
            sim_log("power on: silent device");
            on_ = false;
            return;
        }
        say(power_on_text(options_));
        on_ = true;
    }

    void prompt() {
        if (options_.has("no-prompt")) {
            sim_log("prompt withheld");
            return;
        }
        sim_sleep_ms(options_.get_long("prompt-delay", 0));
        say(std::string("\r\n") + CONSOLE_PROMPT);
    }

    void receive(uint8_t b) {
        if (!on_) {
            sim_log("ignored: the device is off");
            return;
        }
        if (b == ATTENTION) {
            command_.clear();
            if (vanish_point(options_).where == VanishPoint::Where::handshake) {
                port_.vanish("at the attention character of the connect handshake");
            }
            if (options_.has("no-connected")) sim_log("attention not answered");
            else say(connected_text(options_, port_.line_rate()));
            if (options_.has("after-connected")) {
                sim_sleep_ms(options_.get_long("after-connected", 0));
                sim_log("fault: console text after Connected");
                say(AFTER_CONNECTED_TEXT);
            }
            return;
        }
        if (b == '\n') return;
        if (b == '\r') {
            std::string line = command_;
            command_.clear();
            run_command(line);
            return;
        }
        if (command_.size() < MAX_COMMAND) command_ += static_cast<char>(b);
    }

    void run_command(const std::string& line) {
        if (line == "download") {
            int next = port_.read_byte(200);  // the line feed that ends the command
            if (next >= 0 && next != '\n') sim_log("no line feed after download: 0x%02x", next);
            sim_log("download receiver started");
            int rc = run_download_receiver(port_, options_);
            sim_log("download receiver ended: %d; waiting for a power cycle", rc);
            on_ = false;
            return;
        }
        if (line.rfind("host ", 0) == 0) {
            sim_log("host port rate now %ld", std::strtol(line.c_str() + 5, nullptr, 10));
        } else if (!line.empty()) {
            sim_log("unknown console command: %s", line.c_str());
        }
        prompt();
    }

    PtyPort& port_;
    const SimOptions& options_;
    bool on_ = false;
    std::string command_;
};

}  // namespace

void run_device(PtyPort& port, const SimOptions& options) { Console(port, options).run(); }

const char* console_usage() {
    return "Console (the default mode):\n"
           "  --ident=WORD         identification word of the power-on text (Korrimatic)\n"
           "  --no-ident           power-on text without the identification word\n"
           "  --version=X.Y        firmware version shown (2.5); 'none' leaves \"Version \" out\n"
           "  --long-banner        a power-on text of at least 100 bytes\n"
           "  --silent             says nothing at power-on and ignores the line\n"
           "  --connected-rate=N   answers ctrl-C with \"Connected N\" whatever the line rate\n"
           "  --no-connected       does not answer ctrl-C\n"
           "  --after-connected=MS says a line of console text MS ms after \"Connected\"\n"
           "  --no-prompt          does not answer a carriage return with its prompt\n"
           "  --prompt-delay=MS    waits MS milliseconds before each prompt\n"
           "  --nul                a NUL byte after every byte the console sends\n"
           "  --stale=N            sends N bytes as soon as the host opens the port\n"
           "  --power-delay=MS     waits MS milliseconds between power-on and its text\n"
           "  --vanish=WHERE       hangs up the line and ends, as an unplugged device: WHERE is\n"
           "                       handshake (at the attention character), download:N (once packet\n"
           "                       N has arrived) or firmware:N (once record line N has arrived),\n"
           "                       in each case before answering it\n";
}
