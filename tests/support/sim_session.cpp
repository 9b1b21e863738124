#include "support/sim_session.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

const std::string LOG_NAME = "korrisim.log";
const std::string FOLDER_MARK = "{folder}";

}  // namespace

SimSession::SimSession(const std::vector<std::string>& sim_options) {
    signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args;
    for (std::string option : sim_options) {
        const std::size_t at = option.find(FOLDER_MARK);
        if (at != std::string::npos) option.replace(at, FOLDER_MARK.size(), folder_.folder());
        args.push_back(option);
    }
    args.push_back("--control=-");
    args.push_back("--log=" + path(LOG_NAME));
    sim_pid_ = start_program(KORRISIM_BIN, args, {}, sim_in_, sim_out_, nullptr);
    port_path_ = sim_line(10000);
    if (port_path_.empty()) throw std::runtime_error("korrisim printed no path");
}

SimSession::~SimSession() {
    for (pid_t pid : {util_pid_, sim_pid_}) {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    for (int fd : {sim_in_, sim_out_, util_in_, util_out_, util_err_}) {
        if (fd >= 0) close(fd);
    }
}

void SimSession::start_utility(int com, const std::vector<std::pair<std::string, std::string>>& env,
                               const std::vector<std::string>& utility_args) {
    auto all = env;
    all.emplace_back("KORRIMATIC_COM" + std::to_string(com), port_path_);
    ProgramOptions options;
    options.env = std::move(all);
    const ProgramCommand& command = korrimatic_command();
    std::vector<std::string> args = command.args;
    args.insert(args.end(), utility_args.begin(), utility_args.end());
    util_pid_ = start_program(command.path, args, options, util_in_, util_out_, &util_err_);
}

void SimSession::type(const std::string& line) {
    std::string text = line + "\n";
    if (write(util_in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot type to the utility");
    }
}

void SimSession::pump(int timeout_ms) {
    pollfd fds[3] = {{util_out_, POLLIN, 0}, {util_err_, POLLIN, 0}, {sim_out_, POLLIN, 0}};
    if (poll(fds, 3, timeout_ms) <= 0) return;
    std::string* sinks[3] = {&out_, &err_, &sim_out_text_};
    int* fdp[3] = {&util_out_, &util_err_, &sim_out_};
    for (int i = 0; i < 3; ++i) {
        if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[4096];
        ssize_t n = read(fds[i].fd, buf, sizeof buf);
        if (n <= 0) {
            close(*fdp[i]);
            *fdp[i] = -1;
        } else {
            sinks[i]->append(buf, static_cast<std::size_t>(n));
        }
    }
}

bool SimSession::wait_for(const std::string& text, int timeout_ms) {
    const int64_t deadline = now_us() + static_cast<int64_t>(timeout_ms) * 1000;
    for (;;) {
        std::size_t at = out_.find(text, matched_);
        if (at != std::string::npos) {
            found_us_ = now_us();
            matched_ = at + text.size();
            return true;
        }
        int64_t left = deadline - now_us();
        if (left <= 0 || (util_out_ < 0 && util_err_ < 0)) return false;
        pump(static_cast<int>(std::min<int64_t>(left / 1000 + 1, 100)));
    }
}

void SimSession::control(const std::string& command) {
    std::string text = command + "\n";
    if (write(sim_in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot control korrisim");
    }
}

std::string SimSession::sim_line(int timeout_ms) {
    const int64_t deadline = now_us() + static_cast<int64_t>(timeout_ms) * 1000;
    for (;;) {
        std::size_t nl = sim_out_text_.find('\n');
        if (nl != std::string::npos) {
            std::string line = sim_out_text_.substr(0, nl);
            sim_out_text_.erase(0, nl + 1);
            return line;
        }
        int64_t left = deadline - now_us();
        if (left <= 0 || sim_out_ < 0) return "";
        pollfd p{sim_out_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left / 1000 + 1)) > 0) {
            char buf[1024];
            ssize_t n = read(sim_out_, buf, sizeof buf);
            if (n <= 0) {
                close(sim_out_);
                sim_out_ = -1;
            } else {
                sim_out_text_.append(buf, static_cast<std::size_t>(n));
            }
        }
    }
}

std::string SimSession::sim_log() const {
    std::ifstream in(path(LOG_NAME));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool SimSession::wait_for_log(const std::string& text, int timeout_ms) const {
    // Woken by every write to the log (inotify), not by polling on a timer.
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch >= 0) inotify_add_watch(watch, folder_.path("").c_str(), IN_MODIFY | IN_CREATE);
    const int64_t deadline = now_us() + static_cast<int64_t>(timeout_ms) * 1000;
    bool found = false;
    for (;;) {
        if (sim_log().find(text) != std::string::npos) {
            found = true;
            break;
        }
        const int64_t left_ms = (deadline - now_us()) / 1000;
        if (left_ms <= 0 || watch < 0) break;
        pollfd p{watch, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left_ms)) > 0) {
            char events[4096];
            while (read(watch, events, sizeof events) > 0) {
            }
        }
    }
    if (watch >= 0) close(watch);
    return found;
}

int64_t SimSession::last_tx_end_us(int64_t before_us) const {
    std::istringstream log(sim_log());
    std::string line;
    int64_t last = 0;
    while (std::getline(log, line)) {
        if (line.find(" tx end") == std::string::npos) continue;
        long long sec = 0, usec = 0;
        if (std::sscanf(line.c_str(), "%lld.%lld", &sec, &usec) != 2) continue;
        int64_t t = sec * 1000000 + usec;
        if (t <= before_us) last = t;
    }
    return last;
}

bool SimSession::sim_running() {
    if (sim_pid_ <= 0) return false;
    int status = 0;
    if (waitpid(sim_pid_, &status, WNOHANG) == sim_pid_) {
        sim_pid_ = -1;
        return false;
    }
    return true;
}

ProgramResult SimSession::finish(int timeout_ms) {
    if (util_in_ >= 0) {
        close(util_in_);
        util_in_ = -1;
    }
    const int64_t deadline = now_us() + static_cast<int64_t>(timeout_ms) * 1000;
    while ((util_out_ >= 0 || util_err_ >= 0) && now_us() < deadline) pump(100);
    ProgramResult r;
    if (util_pid_ > 0) {
        if (util_out_ >= 0 || util_err_ >= 0) kill(util_pid_, SIGKILL);
        wait_program(util_pid_, r);
        util_pid_ = -1;
    }
    r.out = out_;
    r.err = err_;
    return r;
}
