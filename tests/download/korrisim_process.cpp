#include "korrisim_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef KORRISIM_BIN

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

KorrisimProcess::KorrisimProcess(const std::vector<std::string>& options) {
    std::string pattern = (fs::temp_directory_path() / "korri_e2e_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    dir_ = pattern;
    std::vector<std::string> args = {KORRISIM_BIN,
                                     "--link=" + link(),
                                     "--log=" + (dir_ / "sim.log").string(),
                                     "--config-out=" + (dir_ / "config.bin").string(),
                                     "--rules-out=" + (dir_ / "rules.bin").string()};
    args.insert(args.end(), options.begin(), options.end());
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
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
    out_fd_ = out[0];
    // The first line it prints is the slave's path: the line is then ready.
    std::string first;
    while (first.find('\n') == std::string::npos) {
        pollfd p{out_fd_, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) throw std::runtime_error("korrisim did not start");
        char buf[256];
        ssize_t n = read(out_fd_, buf, sizeof buf);
        if (n <= 0) throw std::runtime_error("korrisim ended at start");
        first.append(buf, static_cast<std::size_t>(n));
    }
}

KorrisimProcess::~KorrisimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (out_fd_ >= 0) close(out_fd_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string KorrisimProcess::log() const {
    std::ifstream in(dir_ / "sim.log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool KorrisimProcess::wait_for_log(const std::string& text, int timeout_ms) const {
    for (int waited = 0; waited <= timeout_ms; waited += 10) {
        if (log().find(text) != std::string::npos) return true;
        usleep(10000);
    }
    return false;
}

bool KorrisimProcess::stored() const {
    return fs::exists(dir_ / "config.bin") || fs::exists(dir_ / "rules.bin");
}

std::vector<uint8_t> KorrisimProcess::stored_config() const { return file_bytes(dir_ / "config.bin"); }
std::vector<uint8_t> KorrisimProcess::stored_rules() const { return file_bytes(dir_ / "rules.bin"); }

#endif  // KORRISIM_BIN
