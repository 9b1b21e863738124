// The journal's files on Windows: an append-only handle, LockFileEx, one
// WriteFile, FlushFileBuffers.
#include "journal/journal_files.hpp"

#include <windows.h>

namespace {

std::string reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": error " + std::to_string(GetLastError());
}

bool write_all(HANDLE h, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD part = static_cast<DWORD>(size > 0x10000000u ? 0x10000000u : size);
        DWORD written = 0;
        if (!WriteFile(h, data, part, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool read_all(HANDLE h, std::string& contents) {
    contents.clear();
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return false;
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) return false;
        if (n == 0) return true;
        contents.append(buffer, n);
    }
}

bool lock(HANDLE h, DWORD flags) {
    OVERLAPPED whole{};
    return LockFileEx(h, flags, 0, MAXDWORD, MAXDWORD, &whole) != 0;
}

}  // namespace

bool write_file_durably(const std::string& path, const void* data, std::size_t size, std::string& why) {
    const std::string temporary = path + ".part." + std::to_string(GetCurrentProcessId());
    HANDLE h = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = reason("cannot create", temporary);
        return false;
    }
    bool ok = write_all(h, static_cast<const char*>(data), size) && FlushFileBuffers(h);
    if (!ok) why = reason("cannot write", temporary);
    CloseHandle(h);
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        why = reason("cannot rename to", path);
        ok = false;
    }
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
}

bool append_under_lock(const std::string& path, const std::function<std::string(const std::string&)>& make_line,
                       std::string& why) {
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end.
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = reason("cannot open", path);
        return false;
    }
    bool ok = lock(h, LOCKFILE_EXCLUSIVE_LOCK);
    if (!ok) why = reason("cannot lock", path);
    std::string contents;
    if (ok && !read_all(h, contents)) {
        why = reason("cannot read", path);
        ok = false;
    }
    if (ok) {
        const std::string line = make_line(contents);
        if (!write_all(h, line.data(), line.size()) || !FlushFileBuffers(h)) {
            why = reason("cannot write", path);
            ok = false;
        }
    }
    CloseHandle(h);  // lets the lock go
    return ok;
}

bool read_whole_file(const std::string& path, std::string& contents, bool& missing) {
    missing = false;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        missing = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
        return false;
    }
    // A shared lock: a line being appended is never seen half written.
    lock(h, 0);
    const bool ok = read_all(h, contents);
    CloseHandle(h);
    return ok;
}
