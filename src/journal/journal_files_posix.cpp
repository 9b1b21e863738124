// The journal's files on POSIX: open with O_APPEND, flock, one write, fsync.
#include "journal/journal_files.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Writes all of it, going on after a short write; false on an error.
bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool read_all(int fd, std::string& contents) {
    contents.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(contents.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
}

// The folder's own entry for a new name reaches the disk too.
void sync_folder_of(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool write_file_durably(const std::string& path, const void* data, std::size_t size, std::string& why) {
    const std::string temporary = path + ".part." + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = reason("cannot create", temporary);
        return false;
    }
    bool ok = write_all(fd, static_cast<const char*>(data), size) && ::fsync(fd) == 0;
    if (!ok) why = reason("cannot write", temporary);
    if (::close(fd) != 0 && ok) {
        why = reason("cannot write", temporary);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        why = reason("cannot rename to", path);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    sync_folder_of(path);
    return true;
}

bool append_under_lock(const std::string& path, const std::function<std::string(const std::string&)>& make_line,
                       std::string& why) {
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = reason("cannot open", path);
        return false;
    }
    bool ok = true;
    int rc;
    while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        why = reason("cannot lock", path);
        ok = false;
    }
    std::string contents;
    if (ok && !read_all(fd, contents)) {
        why = reason("cannot read", path);
        ok = false;
    }
    if (ok) {
        const std::string line = make_line(contents);
        if (!write_all(fd, line.data(), line.size()) || ::fsync(fd) != 0) {
            why = reason("cannot write", path);
            ok = false;
        }
    }
    ::close(fd);  // lets the lock go
    if (ok && !existed) sync_folder_of(path);
    return ok;
}

bool read_whole_file(const std::string& path, std::string& contents, bool& missing) {
    missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return false;
    }
    // A shared lock: a line being appended is never seen half written.
    while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
    }
    const bool ok = read_all(fd, contents);
    ::close(fd);
    return ok;
}
