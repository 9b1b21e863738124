// The device's end of a pseudo-terminal: the utility opens the slave as its
// serial port, korrisim reads and writes the master. Besides the bytes, it
// sees the utility open and close the port (inotify on the slave node) and
// flush its queues (packet mode), takes commands from a control channel, and
// turns all of that into events.
#pragma once

#include <deque>
#include <string>

#include "power_switch.hpp"
#include "sim_clock.hpp"
#include "sim_line.hpp"

enum class SimEvent { byte, host_opened, host_closed, power_on, power_off, timeout };

class PtyPort final : public SimLine {
public:
    // Creates the pseudo-terminal; `link` (may be empty) becomes a symlink to
    // the slave. Exits the program when the pseudo-terminal cannot be made.
    PtyPort(const std::string& link, const std::string& control, PowerSwitch& power, bool pace);
    ~PtyPort() override;

    const std::string& slave_path() const { return slave_path_; }

    // The next event, or timeout once `until` has passed. For byte, the byte
    // is in `byte`.
    SimEvent next_event(SimClock::time_point until, int& byte);

    // The rate the utility set on its port (bits per second), 0 if unknown.
    long line_rate() const;
    // The line settings as text, for the control command "settings".
    std::string settings_text() const;
    // Whether the utility has the port open now.
    bool host_open() const { return host_opens_ > 0; }

    // SimLine
    int read_byte(int timeout_ms) override;
    void write(const uint8_t* data, std::size_t count) override;
    using SimLine::write;
    // Closes the master, so that the utility's side hangs up, and ends.
    void vanish(const std::string& where) override;

    // Every write reaches the host this much later, as through a USB
    // adapter's latency timer.
    void set_delivery_delay_ms(long ms) { delivery_delay_ms_ = ms; }

    // Removes the symlink; called at exit.
    void remove_link();

private:
    void poll_once(SimClock::time_point until);
    void read_master();
    void read_inotify();
    void read_control();
    void run_command(const std::string& command);

    int master_ = -1;
    int slave_ = -1;      // held open so that the master never sees a hang-up
    int inotify_ = -1;
    int control_ = -1;
    std::string slave_path_, link_, control_path_;
    std::string control_text_;
    bool pace_;
    long delivery_delay_ms_ = 0;
    int host_opens_ = 0;
    PowerSwitch& power_;
    std::deque<uint8_t> received_;
    std::deque<SimEvent> events_;
};
