// Runs korrisim in the background on its own pseudo-terminal for one test;
// its link and its log live in a temporary folder removed with the object.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// A temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir() {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("korri-sim-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

class KorrisimProcess {
public:
    explicit KorrisimProcess(const std::vector<std::string>& extra_args) {
        link_ = dir_.path("com");
        std::vector<std::string> args = {KORRISIM_BIN, "--link=" + link_, "--log=" + log_path()};
        args.insert(args.end(), extra_args.begin(), extra_args.end());
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            int null_fd = open("/dev/null", O_RDONLY);
            dup2(null_fd, 0);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        // The first line korrisim prints is the slave's path: it is ready.
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') slave_ += c;
        close(out[0]);
        for (int i = 0; i < 100 && !std::filesystem::exists(link_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    ~KorrisimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }

    bool ready() const { return pid_ > 0 && !slave_.empty(); }
    const std::string& link() const { return link_; }
    std::string log_path() const { return dir_.path("korrisim.log"); }
    std::string log() const {
        std::ifstream in(log_path());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    ScratchDir dir_;
    std::string link_, slave_;
    pid_t pid_ = -1;
};
