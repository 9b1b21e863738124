#include "check/parser_messages.hpp"

#include <cstring>

namespace {

// The printed lines without bells and carriage returns.
std::vector<std::string> plain_lines(const std::string& printed) {
    std::vector<std::string> lines(1);
    for (char c : printed) {
        if (c == '\n') lines.emplace_back();
        else if (c != '\a' && c != '\r') lines.back() += c;
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

// The number in "N]: " or "N: " at the start of `text`; 0 when none, with
// `rest` set to what follows.
int leading_number(const std::string& text, const char* after, std::string& rest) {
    std::size_t i = 0;
    int number = 0;
    // At most 9 digits: the number fits an int.
    for (; i < text.size() && i < 9 && text[i] >= '0' && text[i] <= '9'; ++i) number = number * 10 + (text[i] - '0');
    if (i == 0 || text.compare(i, std::strlen(after), after) != 0) return 0;
    rest = text.substr(i + std::strlen(after));
    return number;
}

// What follows "Error: " in a line, or nothing when it holds none.
bool error_text(const std::string& line, std::string& text) {
    const std::size_t at = line.find("Error: ");
    if (at == std::string::npos) return false;
    text = line.substr(at + 7);
    return true;
}

std::vector<std::string> with_head(const std::vector<std::string>& messages, const std::string& file, int number) {
    std::vector<std::string> out;
    out.reserve(messages.size());
    const std::string head = number > 0 ? file + ":" + std::to_string(number) + ": error: " : file + ": error: ";
    for (const std::string& m : messages) out.push_back(head + m);
    return out;
}

// A line that begins with a tab goes on with the message before it.
bool continued(const std::string& line, std::vector<std::string>& messages) {
    if (line.empty() || line[0] != '\t' || messages.empty()) return false;
    std::string& message = messages.back();
    message += ' ';
    message.append(line, line.find_first_not_of('\t'), std::string::npos);
    return true;
}

}  // namespace

std::vector<std::string> config_error_lines(const std::string& printed, const std::string& file) {
    std::vector<std::string> messages;
    int number = 0;
    for (const std::string& line : plain_lines(printed)) {
        if (continued(line, messages)) continue;
        std::string text, rest;
        if (!error_text(line, text)) continue;
        if (text.rfind("line ", 0) == 0) {
            if (const int n = leading_number(text.substr(5), ": ", rest); n > 0) {
                number = n;
                text = rest;
            }
        }
        messages.push_back(text);
    }
    return with_head(messages, file, number);
}

std::vector<std::string> rules_error_lines(const std::string& printed, const std::string& file) {
    const std::vector<std::string> lines = plain_lines(printed);
    const std::string head = "Error: " + file + "[";
    std::vector<std::string> messages;
    int number = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (continued(line, messages)) continue;
        std::string text, rest;
        if (line.rfind(head, 0) == 0) {
            if (const int n = leading_number(line.substr(head.size()), "]: ", rest); n > 0) {
                number = n;
                // The line in error is quoted on the next line.
                if (i + 1 < lines.size()) {
                    rest += ' ';
                    rest += lines[++i];
                }
                messages.push_back(rest);
                continue;
            }
        }
        if (error_text(line, text)) messages.push_back(text);
    }
    return with_head(messages, file, number);
}

void add_note(std::vector<std::string>& error_lines, const std::string& hint) {
    if (hint.empty() || error_lines.empty()) return;
    const std::string& last = error_lines.back();
    const std::size_t at = last.find(": error: ");
    if (at == std::string::npos) return;
    error_lines.push_back(last.substr(0, at) + ": note: " + hint);
}
