#include "pty_port.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "control_command.hpp"
#include "sim_log_file.hpp"

namespace {

char g_link[4096];  // removed by the signal handler too

void on_signal(int) {
    if (g_link[0] != '\0') unlink(g_link);
    _exit(0);
}

[[noreturn]] void die(const char* what) {
    std::fprintf(stderr, "korrisim: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

struct RateEntry {
    speed_t speed;
    long rate;
};
constexpr RateEntry RATES[] = {{B110, 110},     {B300, 300},     {B600, 600},       {B1200, 1200},
                               {B2400, 2400},   {B4800, 4800},   {B9600, 9600},     {B19200, 19200},
                               {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};

}  // namespace

PtyPort::PtyPort(const std::string& link, const std::string& control, PowerSwitch& power, bool pace)
    : link_(link), control_path_(control), pace_(pace), power_(power) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) die("cannot create a pseudo-terminal");
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) die("ptsname");
    slave_path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) die("cannot open the slave");
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    int one = 1;
    if (ioctl(master_, TIOCPKT, &one) != 0) die("packet mode");
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0 || inotify_add_watch(inotify_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        die("inotify on the slave");
    }
    if (!control_path_.empty()) {
        if (control_path_ == "-") {
            control_ = 0;
        } else {
            if (mkfifo(control_path_.c_str(), 0600) != 0 && errno != EEXIST) die("cannot make the control FIFO");
            // Opened for writing too, so that writers coming and going never
            // give an end of file.
            control_ = ::open(control_path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (control_ < 0) die("cannot open the control FIFO");
        }
    }
    if (!link_.empty()) {
        // A leftover link may point at a number the system has reused.
        unlink(link_.c_str());
        if (symlink(name, link_.c_str()) != 0) die("cannot make the link");
        std::snprintf(g_link, sizeof g_link, "%s", link_.c_str());
    }
    signal(SIGTERM, on_signal);
    signal(SIGINT, on_signal);
    signal(SIGHUP, on_signal);
    signal(SIGPIPE, SIG_IGN);
}

PtyPort::~PtyPort() {
    remove_link();
    for (int fd : {master_, slave_, inotify_}) {
        if (fd >= 0) ::close(fd);
    }
    if (control_ > 0) ::close(control_);
}

void PtyPort::remove_link() {
    if (g_link[0] != '\0') unlink(g_link);
    g_link[0] = '\0';
}

long PtyPort::line_rate() const {
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return 0;
    speed_t s = cfgetospeed(&t);
    for (const auto& e : RATES) {
        if (e.speed == s) return e.rate;
    }
    return 0;
}

std::string PtyPort::settings_text() const {
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return "unknown";
    int bits = (t.c_cflag & CSIZE) == CS8 ? 8 : (t.c_cflag & CSIZE) == CS7 ? 7 : (t.c_cflag & CSIZE) == CS6 ? 6 : 5;
    const char* parity = !(t.c_cflag & PARENB) ? "none" : (t.c_cflag & PARODD) ? "odd" : "even";
    bool raw = !(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) && !(t.c_oflag & OPOST) &&
               !(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT));
    char text[256];
    std::snprintf(text, sizeof text, "rate %ld data %d parity %s stop %d raw %s clocal %s cread %s crtscts %s ixon %s "
                  "ixoff %s vmin %d vtime %d",
                  line_rate(), bits, parity, (t.c_cflag & CSTOPB) ? 2 : 1, raw ? "yes" : "no",
                  (t.c_cflag & CLOCAL) ? "yes" : "no", (t.c_cflag & CREAD) ? "yes" : "no",
                  (t.c_cflag & CRTSCTS) ? "yes" : "no", (t.c_iflag & IXON) ? "yes" : "no",
                  (t.c_iflag & IXOFF) ? "yes" : "no", t.c_cc[VMIN], t.c_cc[VTIME]);
    return text;
}

SimEvent PtyPort::next_event(SimClock::time_point until, int& byte) {
    for (;;) {
        if (!events_.empty()) {
            SimEvent e = events_.front();
            events_.pop_front();
            if (e == SimEvent::byte) {
                byte = received_.front();
                received_.pop_front();
            }
            return e;
        }
        auto now = SimClock::now();
        if (power_.take(now)) {
            sim_log("power on (automatic)");
            return SimEvent::power_on;
        }
        if (now >= until) return SimEvent::timeout;
        poll_once(until);
    }
}

void PtyPort::poll_once(SimClock::time_point until) {
    auto wake = std::min(until, power_.due());
    auto now = SimClock::now();
    int timeout = -1;
    if (wake != SimClock::time_point::max()) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
        timeout = static_cast<int>(std::max<long long>(0, std::min<long long>(ms, 1000)));
    }
    pollfd fds[3] = {{master_, POLLIN | POLLPRI, 0}, {inotify_, POLLIN, 0}, {control_, POLLIN, 0}};
    int r = poll(fds, 3, timeout);
    if (r <= 0) return;
    // Opens and closes first: a close seen after the bytes before it.
    if (fds[0].revents & (POLLIN | POLLPRI)) read_master();
    if (fds[1].revents & POLLIN) read_inotify();
    if (control_ >= 0 && (fds[2].revents & (POLLIN | POLLHUP))) read_control();
}

void PtyPort::read_master() {
    uint8_t buf[1024];
    for (;;) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) return;
        if (buf[0] == TIOCPKT_DATA) {
            if (n > 1) {
                sim_log("rx %s", sim_visible(buf + 1, static_cast<std::size_t>(n - 1)).c_str());
                power_.host_sent();
                for (ssize_t i = 1; i < n; ++i) {
                    received_.push_back(buf[i]);
                    events_.push_back(SimEvent::byte);
                }
            }
        } else if (buf[0] & (TIOCPKT_FLUSHREAD | TIOCPKT_FLUSHWRITE)) {
            sim_log("host flushed its queues");
            if (power_.host_flushed(SimClock::now())) {
                sim_log("power off: the host flushed after an automatic power-on it has not answered");
                events_.push_back(SimEvent::power_off);
            }
        }
    }
}

void PtyPort::read_inotify() {
    alignas(inotify_event) char buf[4096];
    for (;;) {
        ssize_t n = ::read(inotify_, buf, sizeof buf);
        if (n <= 0) return;
        for (ssize_t off = 0; off < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
            if (ev->mask & IN_OPEN) {
                ++host_opens_;
                sim_log("host opened the port");
                // Only the first opener powers the device on: a second program
                // that fails to get the port must not disturb the first.
                if (host_opens_ == 1) power_.host_opened(SimClock::now());
                events_.push_back(SimEvent::host_opened);
            }
            if (ev->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                if (host_opens_ > 0) --host_opens_;
                sim_log("host closed the port");
                if (host_opens_ == 0) {
                    power_.host_closed();
                    events_.push_back(SimEvent::host_closed);
                }
            }
            off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
}

void PtyPort::read_control() {
    char buf[512];
    ssize_t n = ::read(control_, buf, sizeof buf);
    if (n == 0) {  // standard input ended: no more commands
        control_ = -1;
        return;
    }
    if (n < 0) return;
    control_text_.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = control_text_.find('\n')) != std::string::npos) {
        std::string command = control_text_.substr(0, nl);
        control_text_.erase(0, nl + 1);
        if (!command.empty() && command.back() == '\r') command.pop_back();
        run_command(command);
    }
}

void PtyPort::run_command(const std::string& command) {
    sim_log("control: %s", command.c_str());
    ControlCommand c = parse_control_command(command);
    switch (c.kind) {
    case ControlKind::on: events_.push_back(SimEvent::power_on); break;
    case ControlKind::off: events_.push_back(SimEvent::power_off); break;
    case ControlKind::cycle:
        events_.push_back(SimEvent::power_off);
        events_.push_back(SimEvent::power_on);
        break;
    case ControlKind::say: write(c.bytes.data(), c.bytes.size()); break;
    case ControlKind::settings:
        std::printf("settings %s\n", settings_text().c_str());
        std::fflush(stdout);
        break;
    case ControlKind::quit:
        sim_log("quit");
        remove_link();
        std::exit(0);
    case ControlKind::unknown: sim_log("unknown control command"); break;
    }
}

void PtyPort::vanish(const std::string& where) {
    sim_log("vanish: %s: the line hangs up", where.c_str());
    ::close(master_);
    ::close(slave_);
    master_ = slave_ = -1;
    remove_link();
    std::exit(0);
}

int PtyPort::read_byte(int timeout_ms) {
    auto until = timeout_ms < 0 ? SimClock::time_point::max()
                                : SimClock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int byte = 0;
        switch (next_event(until, byte)) {
        case SimEvent::byte: return byte;
        case SimEvent::timeout: return -1;
        case SimEvent::host_closed: return -2;
        case SimEvent::power_off: sim_log("power off"); return -2;
        case SimEvent::host_opened: break;
        case SimEvent::power_on:
            // A power cycle restarts the device: the running mode ends, and
            // the power-on is taken again where power-ons are handled.
            sim_log("power cycle: the running mode ends");
            events_.push_front(SimEvent::power_on);
            return -2;
        }
    }
}

void PtyPort::write(const uint8_t* data, std::size_t count) {
    if (count == 0) return;
    sim_log("tx %s", sim_visible(data, count).c_str());
    if (delivery_delay_ms_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delivery_delay_ms_));
    const long rate = pace_ ? line_rate() : 0;
    const auto per_byte = rate > 0 ? std::chrono::microseconds(10000000L / rate) : std::chrono::microseconds(0);
    auto next = SimClock::now();
    std::size_t sent = 0;
    while (sent < count) {
        std::size_t chunk = rate > 0 ? 1 : count - sent;
        if (rate > 0) {
            std::this_thread::sleep_until(next);
            next += per_byte;
        }
        ssize_t n = ::write(master_, data + sent, chunk);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        pollfd p{master_, POLLOUT, 0};
        if (poll(&p, 1, 1000) <= 0) break;  // nobody reads: drop the rest
    }
    if (sent < count) sim_log("dropped %zu bytes: the host's input queue is full", count - sent);
    sim_log("tx end");
}
