// The serial driver for POSIX systems: a terminal device opened for exclusive
// use, set raw, and read and written without blocking against a monotonic
// deadline.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "process/interrupt.hpp"
#include "serial/posix_device_path.hpp"
#include "serial/posix_line.hpp"
#include "serial/posix_modem_lines.hpp"
#include "serial/posix_rate.hpp"
#include "serial/posix_speed.hpp"
#include "serial/serial_driver.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The longest single wait: one long poll overshoots its deadline by
// milliseconds, short slices against the deadline stay within a fraction.
constexpr milliseconds MAX_SLICE{50};

// A cancellable wait also ends, as a time-out does, when the operator has
// cancelled the command: Ctrl-C interrupts the poll, and the flag is looked
// at before every slice.
bool wait_for(int fd, short events, Clock::time_point until, short& revents, bool cancellable = false) {
    for (;;) {
        auto now = Clock::now();
        if (now >= until || (cancellable && cancel_requested())) {
            revents = 0;
            return true;
        }
        auto slice = std::min<Clock::duration>(until - now, MAX_SLICE);
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(slice).count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        pollfd p{fd, events, 0};
        int r = ppoll(&p, 1, &ts, nullptr);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r > 0) {
            revents = p.revents;
            return true;
        }
    }
}

class PosixDriver final : public SerialDriver {
public:
    ~PosixDriver() override { close(); }

    bool open(const char* port_name, const LineSettings& line, const CommTimeouts& timeouts,
              OpenFailure& failure) override {
        close();
        name_ = port_name;
        path_ = posix_device_path(port_name);
        detail_.clear();
        opening_ = true;
        if (!open_exclusive()) {
            failure = {OpenStep::open, 0};
            return false;
        }
        opening_ = false;
        const OpenStep step = set_line(line);
        if (step != OpenStep::none) {
            failure = {step, 0};
            close();
            return false;
        }
        timeouts_ = timeouts;
        return true;
    }

    bool set_timeouts(const CommTimeouts& t, bool discard_null) override {
        if (fd_ < 0) return fail(EBADF);
        timeouts_ = t;
        discard_null_ = discard_null;
        return true;
    }

    bool read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) override;
    bool read_arrived(uint8_t* buf, std::size_t size, std::size_t& got);
    bool write(const uint8_t* buf, std::size_t size, std::size_t& written) override;

    void purge() override {
        if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
    }

    void close() override {
        if (fd_ < 0) return;
        if (have_saved_) tcsetattr(fd_, TCSANOW, &saved_);
        have_saved_ = false;
        ioctl(fd_, TIOCNXCL);
        flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }

    uint32_t last_error() override { return static_cast<uint32_t>(error_); }

    std::string error_text(uint32_t code) override {
        std::string text = posix_error_text(name_, path_, static_cast<int>(code), opening_);
        if (!detail_.empty()) text += " (" + detail_ + ")";
        return text;
    }

private:
    bool fail(int error) {
        error_ = error;
        return false;
    }
    // The line has hung up: the device was unplugged or switched off.
    bool gone(int error = EIO) {
        detail_ = "the device has gone";
        return fail(error);
    }
    OpenStep fail_step(OpenStep step, int error) {
        error_ = error;
        return step;
    }
    Clock::time_point deadline_for(std::size_t count, uint32_t multiplier, uint32_t constant) const {
        auto total = static_cast<uint64_t>(multiplier) * count + constant;
        return Clock::now() + milliseconds(total);
    }

    bool open_exclusive();
    OpenStep set_line(const LineSettings& s);
    bool set_rate(termios& t, uint32_t rate);
    bool drop_modem_lines(const LineSettings& s);
    bool line_kept(const termios& asked, uint32_t rate);
    void wait_until_sent(std::size_t count) const;

    int fd_ = -1;
    int error_ = 0;
    bool opening_ = false;     // the last failure was the open itself
    std::string name_, path_;
    std::string detail_;       // what the system's text alone does not say
    CommTimeouts timeouts_{};
    bool discard_null_ = false;
    uint32_t rate_ = 0;        // the line rate last set
    termios saved_{};          // the settings found at the open
    bool have_saved_ = false;
};

// Opens the device for this program alone. flock is advisory: it keeps out
// only the programs that take the same lock. TIOCEXCL has the kernel refuse
// every further open of the terminal, whether or not it locks, to all but a
// privileged process.
bool PosixDriver::open_exclusive() {
    if (path_.empty()) return fail(ENOENT);
    int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    int error = 0;
    if (!isatty(fd)) error = ENOTTY;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno == EWOULDBLOCK ? EBUSY : errno;
    else if (ioctl(fd, TIOCEXCL) != 0) error = errno;
    if (error != 0) {
        ::close(fd);
        return fail(error);
    }
    // What the port was set to before, given back when it is closed.
    have_saved_ = tcgetattr(fd, &saved_) == 0;
    fd_ = fd;
    return true;
}

// The line settings: the terminal's flags, the rate, the modem lines, and a
// read-back of what the device kept.
OpenStep PosixDriver::set_line(const LineSettings& s) {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return fail_step(OpenStep::get_state, errno);
    if (!make_termios(s, t, detail_)) return fail_step(OpenStep::set_state, EINVAL);
    if (!set_rate(t, s.baud_rate) || !drop_modem_lines(s)) return OpenStep::set_state;
    discard_null_ = s.discard_null;
    rate_ = s.baud_rate;
    if (!line_kept(t, s.baud_rate)) return OpenStep::set_state;
    return OpenStep::none;
}

// Applies the flags with the rate: a standard rate through its speed
// constant, any other by its number.
bool PosixDriver::set_rate(termios& t, uint32_t rate) {
    speed_t speed{};
    const bool standard = speed_of_rate(rate, speed);
    if (standard) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return fail(errno);
    if (!standard && !posix_set_any_rate(fd_, rate)) {
        int error = errno;
        detail_ = "this system cannot set " + std::to_string(rate) + " baud";
        return fail(error);
    }
    return true;
}

// Drops DTR and RTS when asked; a pseudo-terminal has no modem lines.
bool PosixDriver::drop_modem_lines(const LineSettings& s) {
    int lines = modem_lines_to_drop(s);
    if (lines != 0 && ioctl(fd_, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) return fail(errno);
    return true;
}

// tcsetattr succeeds when anything at all was applied: compare.
bool PosixDriver::line_kept(const termios& asked, uint32_t rate) {
    termios back{};
    if (tcgetattr(fd_, &back) != 0) return fail(errno);
    uint32_t actual = 0;
    if (!posix_get_any_rate(fd_, actual)) actual = rate_of_speed(cfgetospeed(&back));
    if (!termios_kept(asked, back)) {
        detail_ = "the device did not keep the line settings";
        return fail(EINVAL);
    }
    if (actual != rate) {
        detail_ = "the device runs at " + std::to_string(actual) + " baud, not " + std::to_string(rate);
        return fail(EINVAL);
    }
    return true;
}

bool PosixDriver::read(uint8_t* buf, std::size_t size, std::size_t& got, const ReadUntil* until) {
    got = 0;
    detail_.clear();
    if (fd_ < 0) return fail(EBADF);
    const bool no_totals = timeouts_.read_total_multiplier == 0 && timeouts_.read_total_constant == 0;
    if (no_totals && timeouts_.read_interval == READ_NO_WAIT_INTERVAL) return read_arrived(buf, size, got);
    const bool unlimited = no_totals;
    const auto start = Clock::now();
    const auto deadline = unlimited ? Clock::time_point::max()
                                    : deadline_for(size, timeouts_.read_total_multiplier,
                                                   timeouts_.read_total_constant);
    auto last_arrival = start;
    while (got < size) {
        auto end = deadline;
        if (until != nullptr && got > 0 && until->complete(buf, got)) {
            end = std::min(deadline, last_arrival + milliseconds(until->settle_ms));
        }
        short revents = 0;
        if (!wait_for(fd_, POLLIN, end, revents, true)) return fail(errno);
        if (revents == 0) break;  // the time-out or the settle time has passed, or a cancel
        if (revents & POLLIN) {
            ssize_t n = ::read(fd_, buf + got, size - got);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                return errno == EIO ? gone() : fail(errno);  // a terminal that has hung up refuses reads
            }
            if (n == 0) return gone();  // end of file: the line has hung up
            last_arrival = Clock::now();
            std::size_t kept = got;
            for (std::size_t i = got; i < got + static_cast<std::size_t>(n); ++i) {
                if (discard_null_ && buf[i] == 0) continue;  // NUL bytes are dropped, never counted
                buf[kept++] = buf[i];
            }
            got = kept;
            continue;
        }
        return gone((revents & POLLNVAL) ? EBADF : EIO);
    }
    return true;
}

// What has already arrived, without waiting: the terminal's queue as it is.
bool PosixDriver::read_arrived(uint8_t* buf, std::size_t size, std::size_t& got) {
    while (got < size) {
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return fail(errno);
        if (r == 0 || (p.revents & POLLIN) == 0) return true;
        const ssize_t n = ::read(fd_, buf + got, size - got);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        if (n < 0) return errno == EIO ? gone() : fail(errno);
        if (n == 0) return gone();
        std::size_t kept = got;
        for (std::size_t i = got; i < got + static_cast<std::size_t>(n); ++i) {
            if (discard_null_ && buf[i] == 0) continue;  // NUL bytes are dropped, never counted
            buf[kept++] = buf[i];
        }
        got = kept;
    }
    return true;
}

bool PosixDriver::write(const uint8_t* buf, std::size_t size, std::size_t& written) {
    written = 0;
    detail_.clear();
    if (fd_ < 0) return fail(EBADF);
    const bool unlimited = timeouts_.write_total_multiplier == 0 && timeouts_.write_total_constant == 0;
    const auto deadline = unlimited ? Clock::time_point::max()
                                    : deadline_for(size, timeouts_.write_total_multiplier,
                                                   timeouts_.write_total_constant);
    while (written < size) {
        ssize_t n = ::write(fd_, buf + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EIO) return gone();  // a terminal that has hung up refuses writes
        if (n < 0 && errno != EAGAIN && errno != EINTR) return fail(errno);
        short revents = 0;
        if (!wait_for(fd_, POLLOUT, deadline, revents)) return fail(errno);
        if (revents == 0) return true;  // timed out: the caller sees the short count
        if (!(revents & POLLOUT)) return gone();
    }
    wait_until_sent(size);
    return true;
}

void ignore_signal(int) {}

// Waits until the driver says the transmitter itself is empty (tcdrain), but
// no longer than `until`: tcdrain has no time-out of its own, so a repeating
// timer interrupts it (its handler does nothing; without SA_RESTART the call
// ends with EINTR) and the wait goes on only while time is left.
void drain_transmitter(int fd, Clock::time_point until) {
    struct sigaction quiet {}, previous{};
    quiet.sa_handler = ignore_signal;
    sigemptyset(&quiet.sa_mask);
    quiet.sa_flags = 0;
    if (sigaction(SIGALRM, &quiet, &previous) != 0) return;
    itimerval tick{{0, 20000}, {0, 20000}};
    itimerval before{};
    if (setitimer(ITIMER_REAL, &tick, &before) == 0) {
        while (tcdrain(fd) != 0 && errno == EINTR && Clock::now() < until) {
        }
        itimerval off{};
        setitimer(ITIMER_REAL, &off, nullptr);
    }
    sigaction(SIGALRM, &previous, nullptr);
}

// A write returns once its bytes are on the line, as a synchronous write on a
// COM port does, so that the wait for the device's answer starts when the
// device can have it. First the kernel's output queue empties (TIOCOUTQ),
// then tcdrain waits for what the driver can tell of the transmitter: a UART's
// shift register, and for USB adapters whose driver reports it, the adapter's
// own buffer. What no system call can tell is a USB adapter whose driver does
// not report its buffer, and the bytes still inside the cable or the device's
// own receiver: those stay unknown. The wait is bounded by the bytes' line
// time and a margin; a pseudo-terminal has no output queue and never waits.
void PosixDriver::wait_until_sent(std::size_t count) const {
    if (rate_ == 0) return;
    const auto line_ms = static_cast<uint64_t>(count) * 10000u / rate_;
    const auto until = Clock::now() + milliseconds(line_ms + 100);
    for (;;) {
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        if (Clock::now() >= until) return;
        const auto left_ms = static_cast<uint64_t>(queued) * 10000u / rate_;
        timespec pause{0, static_cast<long>(std::min<uint64_t>(std::max<uint64_t>(left_ms, 1), 50) * 1000000)};
        nanosleep(&pause, nullptr);
    }
    drain_transmitter(fd_, until);
}

}  // namespace

std::unique_ptr<SerialDriver> make_platform_driver() { return std::make_unique<PosixDriver>(); }
