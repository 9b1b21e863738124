#include "shell/file_name_hint.hpp"

#include <filesystem>
#include <system_error>

#include "text/sink.hpp"

std::string file_name_hint(const std::string& name) {
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    if (first == std::string::npos || (first == 0 && last + 1 == name.size())) return "";
    std::error_code error;
    if (std::filesystem::exists(name, error)) return "";
    const char* where = first > 0 && last + 1 < name.size() ? "begins and ends"
                        : first > 0                         ? "begins"
                                                            : "ends";
    const std::string bare = name.substr(first, last + 1 - first);
    std::string hint = "the file name \"" + name + "\" " + where + " with a blank; type it without";
    if (std::filesystem::exists(bare, error)) hint += ": \"" + bare + "\"";
    return hint;
}

void offer_file_name_hint(Sink& out, const std::string& name) {
    const std::string hint = file_name_hint(name);
    if (!hint.empty()) out.hints().offer(hint);
}
