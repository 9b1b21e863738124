// A file with given contents in a temporary folder of its own, removed with
// the object.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

#include "support/scratch_dir.hpp"

class TempFile {
public:
    explicit TempFile(const std::string& contents, const std::string& name = "file.txt") : path_(dir_.path(name)) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (f == nullptr) throw std::runtime_error("cannot create " + path_);
        std::fwrite(contents.data(), 1, contents.size(), f);
        std::fclose(f);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }

private:
    ScratchDir dir_;
    std::string path_;
};
