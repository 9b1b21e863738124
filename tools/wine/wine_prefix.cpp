#include "wine_prefix.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The mark of a finished base or slot: the server writes the registry out
// only when it ends, so the files alone do not tell.
const char* const BUILT_MARK = "korrimatic-wine.built";

// Starts a program in a prefix with no input and its output sent to
// `output`; its pid, or -1 when it could not be started.
pid_t start_quietly(const std::vector<std::string>& argv, const fs::path& prefix, const std::string& output) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("WINEPREFIX", prefix.c_str(), 1);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

// The exit status of a started program, or -1.
int wait_quietly(pid_t pid) {
    int status = 0;
    if (pid < 0) return -1;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run_quietly(const std::vector<std::string>& argv, const fs::path& prefix, const std::string& output) {
    return wait_quietly(start_quietly(argv, prefix, output));
}

// An exclusive lock on `path`, held until the descriptor is closed (at the
// latest when this process ends); -1 when `wait` is false and it is held.
int lock_file(const fs::path& path, bool wait) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) die("cannot open " + path.string());
    while (flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        close(fd);
        if (!wait && errno == EWOULDBLOCK) return -1;
        die("cannot lock " + path.string());
    }
    return fd;
}

fs::path slots_folder(const fs::path& base) { return base.string() + "-slots"; }

// A slot made from the finished base: the registry and the update time that
// tells Wine the prefix is up to date, and C: the base's own drive.
void make_slot(const fs::path& base, const fs::path& slot) {
    std::error_code ec;
    fs::remove_all(slot, ec);
    fs::create_directories(slot / "dosdevices", ec);
    for (const char* name : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"}) {
        if (!ec) fs::copy_file(base / name, slot / name, ec);
    }
    if (!ec) fs::create_directory_symlink(fs::absolute(base / "drive_c"), slot / "dosdevices" / "c:", ec);
    if (!ec) fs::create_directory_symlink("/", slot / "dosdevices" / "z:", ec);
    if (ec) die("cannot make the Wine prefix " + slot.string() + ": " + ec.message());
}

void mark(const fs::path& prefix) {
    std::FILE* f = std::fopen((prefix / BUILT_MARK).c_str(), "w");
    if (f == nullptr || std::fclose(f) != 0) die("cannot write in " + prefix.string());
}

}  // namespace

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "korrimatic-wine: %s\n", message.c_str());
    std::exit(125);
}

fs::path base_prefix() {
    if (const char* p = std::getenv("WINEPREFIX"); p != nullptr && *p != '\0') return fs::absolute(p);
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) die("WINEPREFIX is not set and this launcher's folder is unknown");
    return self.parent_path() / "wine-prefix";
}

void prepare_base(const fs::path& base) {
    std::error_code ec;
    fs::create_directories(base, ec);
    if (ec) die("cannot create " + base.string() + ": " + ec.message());
    const int lock = lock_file(base.string() + ".lock", true);
    if (!fs::exists(base / BUILT_MARK)) {
        const std::string log = base.string() + "-wineboot.log";
        run_quietly({"wineserver", "-p"}, base, "/dev/null");
        const bool booted = run_quietly({"wineboot", "-i"}, base, log) == 0;
        // Stopping the server writes the registry out.
        run_quietly({"wineserver", "-k"}, base, "/dev/null");
        if (!booted || !fs::exists(base / "system.reg") || !fs::exists(base / "drive_c")) {
            die("could not prepare the Wine prefix " + base.string() + "; see " + log);
        }
        mark(base);
    }
    close(lock);
}

fs::path take_slot(const fs::path& base) {
    const fs::path slots = slots_folder(base);
    std::error_code ec;
    fs::create_directories(slots, ec);
    if (ec) die("cannot create " + slots.string() + ": " + ec.message());
    for (int n = 0; n < 1000; ++n) {
        fs::path slot = slots / std::to_string(n);
        if (lock_file(slot.string() + ".lock", false) < 0) continue;
        if (!fs::exists(slot / BUILT_MARK)) {
            make_slot(base, slot);
            mark(slot);
        }
        // A server already up makes this a no-op (that fails). A first
        // program with no input or output of a test starts the prefix's
        // services, which would otherwise start with the first run and
        // inherit its output.
        run_quietly({"wineserver", "-p"}, slot, "/dev/null");
        if (run_quietly({"wine", "cmd.exe", "/c", "exit"}, slot, slot.string() + "-start.log") != 0) {
            die("could not start Wine in " + slot.string() + "; see " + slot.string() + "-start.log");
        }
        return slot;
    }
    die("no free Wine prefix in " + slots.string());
}

void map_ports(const fs::path& slot, const std::map<int, std::string>& ports) {
    const fs::path devices = slot / "dosdevices";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(devices, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 3 && name.compare(0, 3, "com") == 0 &&
            name.find_first_not_of("0123456789", 3) == std::string::npos) {
            fs::remove(entry.path(), ec);
        }
    }
    for (const auto& [n, device] : ports) {
        const fs::path link = devices / ("com" + std::to_string(n));
        fs::create_symlink(fs::absolute(device), link, ec);
        if (ec) die("cannot link " + link.string() + " to " + device + ": " + ec.message());
    }
}

void stop_servers(const fs::path& base) {
    // Each server takes most of a second to stop: all at once.
    std::vector<pid_t> stopping = {start_quietly({"wineserver", "-k"}, base, "/dev/null")};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(slots_folder(base), ec)) {
        if (entry.is_directory() && fs::exists(entry.path() / BUILT_MARK)) {
            stopping.push_back(start_quietly({"wineserver", "-k"}, entry.path(), "/dev/null"));
        }
    }
    for (pid_t pid : stopping) wait_quietly(pid);
}
