// When the simulated device is powered on. Automatic: once the utility has
// opened the port and then been quiet (no flush of its queues) for a while,
// as an operator would switch on after the "TURN ON" message, never while the
// utility is still draining stale input. Control: only on the control
// channel's "on" command.
// A flush after an automatic power-on, before the utility has sent anything,
// counts as the utility telling the operator again to switch on (a firmware
// update purges once more after the operator's Enter, whenever it comes): the
// operator switches off at once, ending whatever the power-on started (the
// loader's window, the console), and on again once the line is quiet.
#pragma once

#include "sim_clock.hpp"

class PowerSwitch {
public:
    PowerSwitch(bool automatic, long quiet_ms) : automatic_(automatic), quiet_(std::chrono::milliseconds(quiet_ms)) {}

    bool automatic() const { return automatic_; }
    void host_opened(SimClock::time_point now) {
        armed_ = automatic_;
        last_activity_ = now;
        powered_unheard_ = false;
    }
    void host_closed() {
        armed_ = false;
        powered_unheard_ = false;
    }
    // True when the device is to be switched off now: the flush came after an
    // automatic power-on that the utility has not answered.
    bool host_flushed(SimClock::time_point now) {
        last_activity_ = now;
        if (!powered_unheard_) return false;
        powered_unheard_ = false;
        armed_ = true;
        return true;
    }
    // The utility has sent a byte: the device is in use.
    void host_sent() { powered_unheard_ = false; }
    // The moment the automatic power-on is due; max() when none is.
    SimClock::time_point due() const { return armed_ ? last_activity_ + quiet_ : SimClock::time_point::max(); }
    // Takes the automatic power-on when it is due.
    bool take(SimClock::time_point now) {
        if (!armed_ || now < due()) return false;
        armed_ = false;
        powered_unheard_ = true;
        return true;
    }

private:
    bool automatic_;
    SimClock::duration quiet_;
    bool armed_ = false;
    bool powered_unheard_ = false;  // powered on automatically, nothing heard since
    SimClock::time_point last_activity_{};
};
