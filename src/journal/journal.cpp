#include "journal/journal.hpp"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "journal/journal_files.hpp"

namespace {

namespace fs = std::filesystem;

std::string joined(const std::string& dir, const char* folder, const std::string& name) {
    fs::path path(dir);
    if (folder != nullptr) path /= folder;
    path /= name;
    return path.string();
}

// Each line of the text, with whether it ended in a line feed.
template <typename Visit>
void for_each_line(const std::string& text, Visit visit) {
    std::string::size_type start = 0;
    int number = 0;
    while (start < text.size()) {
        const std::string::size_type end = text.find('\n', start);
        ++number;
        if (end == std::string::npos) {
            visit(number, std::string_view(text).substr(start), false);
            return;
        }
        visit(number, std::string_view(text).substr(start, end - start), true);
        start = end + 1;
    }
}

// The line as an entry, or a discarded value when it is not a whole object.
nlohmann::json parsed_line(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    nlohmann::json value = nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
    if (!value.is_object()) return nlohmann::json(nlohmann::json::value_t::discarded);
    return value;
}

bool blank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

}  // namespace

std::string journal_default_dir() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || *local == '\0') return std::string();
    return (fs::path(local) / "korrimatic" / "journal").string();
#else
    const char* state = std::getenv("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is to be ignored.
    if (state != nullptr && state[0] == '/') return (fs::path(state) / "korrimatic" / "journal").string();
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return std::string();
    return (fs::path(home) / ".local" / "state" / "korrimatic" / "journal").string();
#endif
}

bool journal_read_file(const std::string& path, std::string& bytes) {
    bool missing = false;
    return read_whole_file(path, bytes, missing);
}

std::string journal_file_path(const std::string& dir) { return joined(dir, nullptr, "journal.jsonl"); }

std::string journal_image_path(const std::string& dir, const std::string& sha256_hex) {
    return joined(dir, "images", sha256_hex + ".bin");
}

std::string journal_firmware_path(const std::string& dir, const std::string& sha256_hex) {
    return joined(dir, "firmware", sha256_hex + ".hex");
}

JournalRead journal_read(const std::string& dir, Sink& warnings) {
    JournalRead read;
    const std::string path = journal_file_path(dir);
    std::string text;
    bool missing = false;
    if (!read_whole_file(path, text, missing)) {
        if (!missing) warnings.warning("cannot read the journal %s\n", path.c_str());
        return read;
    }
    for_each_line(text, [&](int number, std::string_view line, bool) {
        if (blank(line)) return;
        nlohmann::json entry = parsed_line(line);
        if (entry.is_discarded()) {
            ++read.torn_lines;
            warnings.warning("journal %s line %d is not a whole entry (torn), skipped\n", path.c_str(),
                             number);
            return;
        }
        read.entries.push_back(std::move(entry));
    });
    return read;
}

bool journal_store_file(const std::string& path, const void* data, std::size_t size) {
    std::error_code error;
    if (fs::exists(path, error)) return true;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::string why;
    return write_file_durably(path, data, size, why);
}

int journal_append(const std::string& dir, nlohmann::ordered_json& entry, std::string& why) {
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
        why = "cannot create " + dir + ": " + error.message();
        return 0;
    }
    int number = 0;
    const bool ok = append_under_lock(journal_file_path(dir), [&](const std::string& contents) {
        int last = 0;
        for_each_line(contents, [&](int, std::string_view line, bool) {
            const nlohmann::json old = parsed_line(line);
            if (old.is_discarded() || !old.contains("entry") || !old["entry"].is_number_integer()) return;
            const int n = old["entry"].get<int>();
            if (n > last) last = n;
        });
        number = last + 1;
        entry["entry"] = number;
        // A torn last line keeps its own line: this entry starts on a new one.
        std::string line = !contents.empty() && contents.back() != '\n' ? "\n" : "";
        line += entry.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        line += '\n';
        return line;
    }, why);
    return ok ? number : 0;
}
