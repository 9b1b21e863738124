#include "shell/console.hpp"

std::FILE* console_in = stdin;

bool console_read_line(std::string& line) {
    line.clear();
    char chunk[256];
    bool got_any = false;
    while (std::fgets(chunk, sizeof chunk, console_in) != nullptr) {
        got_any = true;
        line += chunk;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            return true;
        }
    }
    return got_any;
}

Answer ask_confirmation(const char* question) {
    std::fputs(question, stdout);
    std::fflush(stdout);
    std::string answer;
    if (!console_read_line(answer)) return Answer::end_of_input;
    return (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) ? Answer::yes : Answer::no;
}
