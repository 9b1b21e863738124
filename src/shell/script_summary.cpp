#include "shell/script_summary.hpp"

std::string FailedLines::summary(const char* script_name) const {
    if (lines_.empty()) return "";
    std::string text = "korrimatic: " + std::string(script_name) + ": " + std::to_string(lines_.size()) +
                       (lines_.size() == 1 ? " line" : " lines") + " failed:\n";
    for (const Failed& f : lines_) text += "  line " + std::to_string(f.number) + ": " + f.text + "\n";
    return text;
}
