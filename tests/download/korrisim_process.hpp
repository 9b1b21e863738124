// Runs korrisim for an end-to-end test: on a pseudo-terminal linked from a
// fresh temporary folder, logging and storing the images it receives there.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class KorrisimProcess {
public:
    // Starts korrisim with --link, --log, --config-out and --rules-out in the
    // folder, and the given extra options; waits until its line is there.
    explicit KorrisimProcess(const std::vector<std::string>& options);
    ~KorrisimProcess();
    KorrisimProcess(const KorrisimProcess&) = delete;
    KorrisimProcess& operator=(const KorrisimProcess&) = delete;

    const std::filesystem::path& folder() const { return dir_; }
    // The path to give the utility as KORRIMATIC_COM1.
    std::string link() const { return (dir_ / "com1").string(); }
    std::string log() const;
    // Waits up to timeout_ms for the log to hold the text.
    bool wait_for_log(const std::string& text, int timeout_ms = 10000) const;
    bool stored() const;
    std::vector<uint8_t> stored_config() const;
    std::vector<uint8_t> stored_rules() const;

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    int out_fd_ = -1;
};
