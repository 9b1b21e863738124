// A uniquely named file with given contents, removed at the end of its scope.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class TempFile {
public:
    explicit TempFile(const std::string& contents) {
        char name[] = "/tmp/korri-config-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) std::abort();
        path_ = name;
        std::size_t done = 0;
        while (done < contents.size()) {
            const ssize_t n = write(fd, contents.data() + done, contents.size() - done);
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        close(fd);
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
