#include "support/run_program.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace {

// The environment of the program to start: this one's, with the additions.
std::vector<std::string> environment_with(const std::vector<std::pair<std::string, std::string>>& additions) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const auto& [name, value] : additions) replaced = replaced || entry.rfind(name + "=", 0) == 0;
        if (!replaced) env.push_back(entry);
    }
    for (const auto& [name, value] : additions) env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> p;
    for (auto& t : texts) p.push_back(t.data());
    p.push_back(nullptr);
    return p;
}

}  // namespace

// Everything the child needs is made before the fork, and every pipe is
// closed on exec: tests may start programs from several threads at once, and
// a child must neither allocate nor keep another program's pipe open.
pid_t start_program(const std::string& path, const std::vector<std::string>& args, const ProgramOptions& options,
                    int& in, int& out, int* err) {
    int in_pipe[2], out_pipe[2], err_pipe[2] = {-1, -1};
    if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0 ||
        (err != nullptr && pipe2(err_pipe, O_CLOEXEC) != 0)) {
        throw std::runtime_error("pipe");
    }
    std::vector<std::string> arg_texts = {path};
    arg_texts.insert(arg_texts.end(), args.begin(), args.end());
    std::vector<std::string> env_texts = environment_with(options.env);
    std::vector<char*> argv = pointers_to(arg_texts);
    std::vector<char*> envp = pointers_to(env_texts);
    const char* cwd = options.cwd.empty() ? nullptr : options.cwd.c_str();
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        if (err != nullptr) dup2(err_pipe[1], 2);
        if (cwd != nullptr && chdir(cwd) != 0) _exit(126);
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    if (err != nullptr) {
        close(err_pipe[1]);
        *err = err_pipe[0];
    }
    in = in_pipe[1];
    out = out_pipe[0];
    return pid;
}

void wait_program(pid_t pid, ProgramResult& result) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

ProgramResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::string& input, const ProgramOptions& options) {
    int in_fd = -1, out_fd = -1, err_fd = -1;
    const pid_t pid = start_program(path, args, options, in_fd, out_fd, &err_fd);
    signal(SIGPIPE, SIG_IGN);
    fcntl(in_fd, F_SETFL, O_NONBLOCK);
    ProgramResult result;
    std::size_t written = 0;
    if (input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    bool out_open = true, err_open = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
    while (out_open || err_open) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3] = {
            {out_open ? out_fd : -1, POLLIN, 0}, {err_open ? err_fd : -1, POLLIN, 0}, {in_fd, POLLOUT, 0}};
        if (poll(fds, 3, 200) < 0) continue;
        char buf[4096];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                (i == 0 ? out_open : err_open) = false;
            } else {
                (i == 0 ? result.out : result.err).append(buf, static_cast<std::size_t>(n));
            }
        }
        if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t n = write(in_fd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size()) {
                close(in_fd);
                in_fd = -1;
            }
        }
    }
    if (in_fd >= 0) close(in_fd);
    close(out_fd);
    close(err_fd);
    wait_program(pid, result);
    return result;
}

namespace {

bool is_windows_program(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0;
}

ProgramCommand command_from_setting() {
    const char* setting = std::getenv("KORRIMATIC_UNDER_TEST");
    if (setting == nullptr || *setting == '\0') return {KORRIMATIC_BIN, {}, false};
    const std::string program = std::filesystem::absolute(setting).string();
    if (!is_windows_program(program)) return {program, {}, false};
#ifdef KORRI_WINE_LAUNCHER
    return {KORRI_WINE_LAUNCHER, {program}, true};
#else
    throw std::runtime_error("KORRIMATIC_UNDER_TEST names a Windows program, but korrimatic-wine is not built");
#endif
}

}  // namespace

const ProgramCommand& korrimatic_command() {
    static const ProgramCommand command = command_from_setting();
    return command;
}

bool under_wine() { return korrimatic_command().wine; }

ProgramResult run_korrimatic(const std::string& input, const ProgramOptions& options) {
    const ProgramCommand& command = korrimatic_command();
    std::vector<std::string> args = command.args;
    args.insert(args.end(), options.utility_args.begin(), options.utility_args.end());
    return run_program(command.path, args, input, options);
}

std::string startup_text() {
    return "Korrimatic PC Host Utility Version 2.4a - the Korrimatic host utility team\n"
           "Prepares, loads and maintains the Korrimatic APRS digipeater; type help for the commands.\n"
           "\n\t\tCommand Summary:\n"
           "Command    Arguments            Comments\n"
           "help                            Displays this summary (alias ?)\n"
           ".                               Repeats the previous command\n"
           "angles                          Displays the Angles format used for Lat and Lon\n"
           "baud       baud                 Changes the baud rates on host and Korrimatic\n"
           "\t\t\t\tonce connected. Default [ ]\n"
           "           Valid Baud Rates:\t4800 9600 19200 38400 [57600] \n"
           "\n"
           "configure  file_name            Reads a Configuration file\n"
           "dconfigure                      Displays the Configuration\n"
           "rules      file_name            Reads a Rules file\n"
           "drules                          Displays the Rules\n"
           "connect    com_port [baud]      Connect to Korrimatic at optional baud\n"
           "\t\t\t\t(8 bits No Parity 1 Stop)\n"
           "disconnect                      Disconnect from the Korrimatic\n"
           "download                        Download Configuration and Rules to Korrimatic\n"
           "firmware   com_port file_name   Update Korrimatic firmware from firmware file\n"
           "exit                            Exits this program (aliases quit, x)\n"
           "\n"
           "Command> ";
}

std::string visible(const std::string& text) {
    std::string v;
    for (unsigned char c : text) {
        if (c == '\a') v += "<BEL>";
        else if (c == '\t') v += "<TAB>";
        else if (c == '\r') v += "<CR>";
        else if (c == '\n') v += "<LF>\n";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            v += hex;
        } else v += static_cast<char>(c);
    }
    return v;
}
