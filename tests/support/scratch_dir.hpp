// A temporary folder for one test, removed with the object.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

class ScratchDir {
public:
    ScratchDir() {
        // Sessions started from several threads at once each get a folder of their own.
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("korri-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string folder() const { return dir_.string(); }

private:
    std::filesystem::path dir_;
};
