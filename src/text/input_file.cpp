#include "text/input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

std::FILE* open_regular(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

#else

std::FILE* open_regular(const char* path) {
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
}

#endif

}  // namespace

InputFile::InputFile(const char* path) {
    if (path != nullptr) file_ = open_regular(path);
}

InputFile::InputFile(const char* path, Sink& report) : InputFile(path) {
    if (file_ == nullptr) report.error("cannot open %s\n", path != nullptr ? path : "(null)");
}

InputFile::~InputFile() {
    if (file_ != nullptr) std::fclose(file_);
}
