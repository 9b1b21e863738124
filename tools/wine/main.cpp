// korrimatic-wine: runs the Windows build of the utility under Wine as if it
// were the Linux one, for the end-to-end tests and by hand.
//
//   korrimatic-wine PROGRAM.exe [ARGUMENT ...]
//   korrimatic-wine --prepare     (builds the Wine prefix once)
//   korrimatic-wine --stop        (stops the Wine servers it started)
//
// Each KORRIMATIC_COMn of the environment becomes COMn of the prefix the run
// takes (a link dosdevices/comn to the device it names); a COMn without one
// is left to Wine, which then tries /dev/ttyS<n-1>, as the Linux build does.
// The program's standard output and standard error come back with CR LF
// turned into LF, and its exit status is the launcher's. The servers stay up
// for the next runs until `korrimatic-wine --stop`.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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
#include "wine_prefix.hpp"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const COM_VARIABLE = "KORRIMATIC_COM";

// n -> device for every KORRIMATIC_COMn with a value.
std::map<int, std::string> mapped_ports() {
    std::map<int, std::string> ports;
    const std::size_t len = std::strlen(COM_VARIABLE);
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::size_t eq = entry.find('=');
        if (entry.compare(0, len, COM_VARIABLE) != 0 || eq == std::string::npos || eq == len) continue;
        const std::string digits = entry.substr(len, eq - len);
        if (digits.size() > 3 || digits[0] < '1' || digits[0] > '9' || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        if (eq + 1 < entry.size()) ports[std::stoi(digits)] = entry.substr(eq + 1);
    }
    return ports;
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
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) die("fork failed");
    if (pid == 0) {
        // Killing the launcher (a test's time-out) kills the program too.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(125);
        dup2(out[1], 1);
        dup2(err[1], 2);
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
    const fs::path base = base_prefix();
    setenv("WINEDEBUG", "-all", 1);
    // No .NET or HTML engine to install, no menu entries, and no debugger
    // on a crash.
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml,winemenubuilder.exe=;winedbg.exe=d", 1);
    if (std::strcmp(argv[1], "--stop") == 0) {
        stop_servers(base);
        return 0;
    }
    prepare_base(base);
    if (std::strcmp(argv[1], "--prepare") == 0) return 0;
    const fs::path slot = take_slot(base);
    map_ports(slot, mapped_ports());
    setenv("WINEPREFIX", slot.c_str(), 1);
    std::vector<std::string> wine = {"wine"};
    for (int i = 1; i < argc; ++i) wine.emplace_back(argv[i]);
    return run_program(wine);
}
