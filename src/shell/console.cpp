#include "shell/console.hpp"

std::FILE* console_in = stdin;

namespace {

// More than any command or answer can use; the rest of a longer line is read
// and dropped, and the line is then still too long for the shell.
constexpr std::size_t KEEP_MAX = std::size_t{64} * 1024;

}  // namespace

bool console_read_line(std::string& line) {
    line.clear();
    bool got_any = false;
    bool ended = false;  // a NUL has ended the text
    int c = EOF;
    while ((c = std::getc(console_in)) != EOF) {
        got_any = true;
        if (c == '\n') break;
        if (c == '\0') ended = true;
        if (!ended && line.size() < KEEP_MAX) line += static_cast<char>(c);
    }
    if (c == '\n' && !ended && !line.empty() && line.back() == '\r') line.pop_back();
    return got_any;
}

Answer ask_confirmation(const char* question) {
    std::fputs(question, stdout);
    std::fflush(stdout);
    std::string answer;
    if (!console_read_line(answer)) return Answer::end_of_input;
    return (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) ? Answer::yes : Answer::no;
}
