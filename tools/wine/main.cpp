// korrimatic-wine: runs the Windows build of the utility under Wine as if it
// were the Linux one, for the end-to-end tests and by hand.
//
//   korrimatic-wine PROGRAM.exe [ARGUMENT ...]
//   korrimatic-wine --prepare     (builds the prefix, starts its Wine server)
//   korrimatic-wine --stop        (stops the prefix's Wine server)
//
// Each KORRIMATIC_COMn of the environment becomes the prefix's COMn (a link
// dosdevices/comn to the device it names); a COMn without one is left to
// Wine, which then tries /dev/ttyS<n-1>, as the Linux build does. The program's
// standard output and standard error come back with CR LF turned into LF,
// and its exit status is the launcher's. The prefix (WINEPREFIX, else
// wine-prefix beside this launcher) is prepared on first use, and its Wine
// server is started first, with its output thrown away: the server writes
// its object table into whatever output it inherited each time a
// pseudo-terminal's master closes. The server stays up for the next run
// until `korrimatic-wine --stop`.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "crlf_filter.hpp"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const COM_VARIABLE = "KORRIMATIC_COM";

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "korrimatic-wine: %s\n", message.c_str());
    std::exit(125);
}

// Runs a program with its standard output and error sent to `output`; its
// exit status, or -1 when it could not be run.
int run_quietly(const std::vector<std::string>& argv, const std::string& output) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path prefix_folder() {
    if (const char* p = std::getenv("WINEPREFIX"); p != nullptr && *p != '\0') return fs::absolute(p);
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) die("WINEPREFIX is not set and this launcher's folder is unknown");
    return self.parent_path() / "wine-prefix";
}

// Starts the prefix's server and builds the prefix on first use, one
// launcher at a time.
void prepare(const fs::path& prefix) {
    std::error_code ec;
    fs::create_directories(prefix, ec);
    if (ec) die("cannot create " + prefix.string() + ": " + ec.message());
    const std::string lock_path = prefix.string() + ".lock";
    const int lock = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) die("cannot lock " + lock_path);
    // A server already running makes this a no-op.
    run_quietly({"wineserver", "-p"}, "/dev/null");
    // The server writes the registry out only later: a mark of our own
    // tells a prefix that wineboot has built.
    const fs::path built = prefix / "korrimatic-wine.built";
    if (!fs::exists(built)) {
        const std::string log = prefix.string() + "-wineboot.log";
        if (run_quietly({"wineboot", "-i"}, log) != 0 || !fs::exists(prefix / "dosdevices")) {
            die("could not prepare the Wine prefix " + prefix.string() + "; see " + log);
        }
        std::FILE* mark = std::fopen(built.c_str(), "w");
        if (mark != nullptr) std::fclose(mark);
    }
    close(lock);
}

// n -> device for every KORRIMATIC_COMn with a value.
std::map<int, std::string> mapped_ports() {
    std::map<int, std::string> ports;
    const std::size_t len = std::strlen(COM_VARIABLE);
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::size_t eq = entry.find('=');
        if (entry.compare(0, len, COM_VARIABLE) != 0 || eq == std::string::npos || eq == len) continue;
        const std::string digits = entry.substr(len, eq - len);
        if (digits[0] < '1' || digits[0] > '9' || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        if (eq + 1 < entry.size()) ports[std::stoi(digits)] = entry.substr(eq + 1);
    }
    return ports;
}

// Makes dosdevices/comn the prefix's view of the environment's ports.
void map_ports(const fs::path& prefix) {
    const fs::path devices = prefix / "dosdevices";
    const std::map<int, std::string> ports = mapped_ports();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(devices, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 3 && name.compare(0, 3, "com") == 0 &&
            name.find_first_not_of("0123456789", 3) == std::string::npos) {
            fs::remove(entry.path(), ec);
        }
    }
    for (const auto& [n, device] : ports) {
        const fs::path link = devices / ("com" + std::to_string(n));
        fs::create_symlink(fs::absolute(device), link, ec);
        if (ec) die("cannot link " + link.string() + " to " + device + ": " + ec.message());
    }
}

bool write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// One of the program's outputs, passed on through its own filter.
struct Stream {
    int from;
    int to;
    CrLfFilter filter;
    // Reads what is there; false at its end.
    bool pass() {
        char buf[4096];
        const ssize_t n = read(from, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
        if (n <= 0) {
            write_all(to, filter.finish());
            close(from);
            from = -1;
            return false;
        }
        write_all(to, filter.feed(buf, static_cast<std::size_t>(n)));
        return true;
    }
};

int run_program(const std::vector<std::string>& argv) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) die("pipe failed");
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) die("fork failed");
    if (pid == 0) {
        // Killing the launcher (a test's time-out) kills the program too.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(125);
        dup2(out[1], 1);
        dup2(err[1], 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::fprintf(stderr, "korrimatic-wine: cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    Stream streams[2] = {{out[0], 1, {}}, {err[0], 2, {}}};
    int status = 0;
    bool ended = false;
    // Until both outputs end; once the program has ended, other Wine
    // processes that may hold them are not waited for.
    while (streams[0].from >= 0 || streams[1].from >= 0) {
        pollfd fds[2] = {{streams[0].from, POLLIN, 0}, {streams[1].from, POLLIN, 0}};
        const int r = poll(fds, 2, ended ? 0 : 50);
        if (r < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) streams[i].pass();
        }
        if (ended && r == 0) break;
        if (!ended && waitpid(pid, &status, WNOHANG) == pid) ended = true;
    }
    for (Stream& s : streams) {
        if (s.from >= 0) {
            write_all(s.to, s.filter.finish());
            close(s.from);
        }
    }
    if (!ended) {
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (WIFSIGNALED(status)) {
        signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
        return 128 + WTERMSIG(status);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: korrimatic-wine PROGRAM.exe [ARGUMENT ...] | --prepare | --stop\n");
        return 2;
    }
    const fs::path prefix = prefix_folder();
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    // No .NET or HTML engine to install, and no debugger on a crash.
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winedbg.exe=d", 1);
    if (std::strcmp(argv[1], "--stop") == 0) {
        run_quietly({"wineserver", "-k"}, "/dev/null");
        return 0;
    }
    prepare(prefix);
    if (std::strcmp(argv[1], "--prepare") == 0) return 0;
    map_ports(prefix);
    std::vector<std::string> wine = {"wine"};
    for (int i = 1; i < argc; ++i) wine.emplace_back(argv[i]);
    return run_program(wine);
}
