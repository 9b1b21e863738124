#include "shell/completion.hpp"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "shell/command_table.hpp"
#include "text/tokens.hpp"

namespace {

bool is_one_of(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// The longest text all candidates begin with.
std::string common_prefix(const std::vector<std::string>& names) {
    if (names.empty()) return "";
    std::string prefix = names.front();
    for (const std::string& n : names) {
        std::size_t i = 0;
        while (i < prefix.size() && i < n.size() && prefix[i] == n[i]) ++i;
        prefix.resize(i);
    }
    return prefix;
}

Completion from_candidates(const std::string& typed, const std::vector<std::string>& names, const char* after_one) {
    Completion c;
    if (names.empty()) return c;
    const std::string prefix = common_prefix(names);
    if (prefix.size() > typed.size()) c.insert = prefix.substr(typed.size());
    if (names.size() == 1) {
        if (names.front().back() != '/') c.insert += after_one;
    } else {
        c.choices = names;
    }
    return c;
}

Completion complete_command_word(const std::string& word) {
    std::vector<std::string> names;
    for (const CommandEntry& row : command_table) {
        const std::string w = row.word;
        if (w == "." || w == "?") continue;
        if (w.size() >= word.size() && strncasecmp(w.c_str(), word.c_str(), word.size()) == 0) names.push_back(w);
    }
    std::sort(names.begin(), names.end());
    // The typed letters keep their case; the completion is in the table's.
    return from_candidates(word, names, " ");
}

Completion complete_file_name(const std::string& partial) {
    const std::size_t slash = partial.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : partial.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? partial : partial.substr(slash + 1);
    return from_candidates(base, file_names_starting(folder, base), "");
}

}  // namespace

std::vector<std::string> file_names_starting(const std::string& folder, const std::string& base) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.compare(0, base.size(), base) != 0) continue;
        if (name[0] == '.' && (base.empty() || base[0] != '.')) continue;
        std::error_code dir_ec;
        if (it->is_directory(dir_ec)) name += '/';
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Completion complete_line(const std::string& before) {
    // The command word: after separators, up to the next separator.
    std::size_t start = 0;
    while (start < before.size() && is_one_of(before[start], WORD_SEPARATORS)) ++start;
    std::size_t end = start;
    while (end < before.size() && !is_one_of(before[end], WORD_SEPARATORS)) ++end;
    const std::string word = before.substr(start, end - start);
    if (end == before.size()) return word.empty() ? Completion{} : complete_command_word(word);
    if (word.size() > COMMAND_WORD_MAX || before[0] == '.') return {};

    const PrefixMatch m = match_command(word.c_str());
    if (m.result != Match::found) return {};
    const int id = command_table[m.index].id;
    std::size_t arg = end + 1;  // past the one separator that ends the word
    if (id == CMD_FIRMWARE) {
        // The port token first, then the file name.
        while (arg < before.size() && is_one_of(before[arg], WORD_SEPARATORS)) ++arg;
        std::size_t port_end = arg;
        while (port_end < before.size() && !is_one_of(before[port_end], WORD_SEPARATORS)) ++port_end;
        if (port_end == before.size()) return {};
        arg = port_end + 1;
    } else if (id != CMD_CONFIGURE && id != CMD_RULES) {
        return {};
    }
    while (arg < before.size() && is_one_of(before[arg], FILE_NAME_SEPARATORS)) ++arg;
    const std::string partial = before.substr(std::min(arg, before.size()));
    if (partial.find_first_of(FILE_NAME_SEPARATORS) != std::string::npos) return {};
    return complete_file_name(partial);
}
