// The download receiver on korrisim's pseudo-terminal. With --pace the line is
// modelled in both directions: a byte from the host reaches the device no
// sooner than 10/R seconds after the one before it, and each answer byte
// takes 10/R seconds to send.
#include "download_receiver.hpp"

#include <algorithm>
#include <chrono>
#include <thread>

#include "download_session.hpp"
#include "pty_port.hpp"

namespace {

class PacedLine final : public SimLine {
public:
    PacedLine(SimLine& inner, long rate) : inner_(inner), per_byte_(std::chrono::microseconds(10000000L / rate)) {}

    // A byte is heard one byte time after it could start on the wire: when it
    // reached the pseudo-terminal, or when the byte before it had been heard.
    // The host writes a packet at once, so a byte that was already waiting
    // follows the one before it directly; one that had to be waited for, or
    // the first after an answer, started when it came.
    int read_byte(int timeout_ms) override {
        const auto called = SimClock::now();
        const int b = inner_.read_byte(timeout_ms);
        if (b < 0) return b;
        const auto got = SimClock::now();
        const bool waited = got - called > WAITED;
        const auto start = waited ? got : after_answer_ ? called : heard_at_;
        heard_at_ = std::max(start, heard_at_) + per_byte_;
        after_answer_ = false;
        std::this_thread::sleep_until(heard_at_);
        return b;
    }
    void write(const uint8_t* data, std::size_t count) override {
        std::this_thread::sleep_for(per_byte_ * static_cast<long>(count));
        inner_.write(data, count);
        heard_at_ = SimClock::now();
        after_answer_ = true;
    }
    void vanish(const std::string& where) override { inner_.vanish(where); }

private:
    static constexpr auto WAITED = std::chrono::microseconds(100);
    SimLine& inner_;
    SimClock::duration per_byte_;
    SimClock::time_point heard_at_{};
    bool after_answer_ = true;
};

}  // namespace

int run_download_receiver(SimLine& line, const SimOptions& options) {
    auto* port = dynamic_cast<PtyPort*>(&line);
    const long rate = port != nullptr ? port->line_rate() : 0;
    if (options.has("pace") && rate > 0) {
        sim_log("download: pacing both directions at %ld bit/s", rate);
        PacedLine paced(line, rate);
        return run_download_session(paced, options);
    }
    return run_download_session(line, options);
}

const char* download_receiver_usage() {
    return "Download receiver (after \"download\\r\\n\" at the console):\n"
           "  --config-out=PATH    store the configuration image received (166 bytes)\n"
           "  --rules-out=PATH     store the rule records received (28 bytes each)\n"
           "  --dl-trace           log every packet accepted\n"
           "  --pace               also paces the download's direction to the device: each\n"
           "                       byte heard and each answer sent takes 10 bits at the rate\n"
           "  --dl-idle-ms=MS      give up when no packet starts within MS (default 60000)\n"
           "  --dl-byte-ms=MS      a packet whose next byte takes longer is cut short: NAK (default 1000)\n"
           "  Faults, aimed at the N-th packet of the transfer (1 = conf command, 2..4 the\n"
           "  configuration, 5 = rules command, then the rule data and the finishing packet):\n"
           "  --dl-nak=N[:K]       answer NAK to its first K transmissions (default 1)\n"
           "  --dl-stray=N[:XX]    answer the byte XX (hex, default 41) instead of ACK\n"
           "  --dl-silent=N        answer nothing\n"
           "  --dl-corrupt=N[:K]   corrupt one received byte of its first K transmissions\n"
           "                       (default 1): the CRC fails and the device answers NAK\n"
           "  --dl-drop=N[:M]      the line drops after M bytes of it (default 3): the device\n"
           "                       hears and says nothing more\n"
           "  --dl-late=N[:MS]     every answer to it goes out MS ms late (default 1000; the host\n"
           "                       waits 5000 ms for an answer)\n"
           "  --dl-double=N        every answer to it goes out twice\n"
           "  --dl-early=N[:MS]    an ACK goes out MS ms (default 0) after the answer to packet\n"
           "                       N-1, before packet N has come (N = 1: as the receiver starts)\n"
           "  --dl-noise=N[:XX]    the byte XX (hex, default 41) follows every answer to it\n";
}
