#include "shell/console.hpp"

#include <unistd.h>

#include <cstring>

#include "process/interrupt.hpp"
#include "shell/line_editor.hpp"
#include "shell/shell_state.hpp"

namespace {

// More than any command or answer can use; the rest of a longer line is read
// and dropped, and the line is then still too long for the shell.
constexpr std::size_t KEEP_MAX = std::size_t{64} * 1024;

bool editing(const Console& console) { return line_editor_running() && console.in == stdin; }

// Reads a line without editing, echoing it when asked.
bool plain_line(ShellState& shell, std::string& line) {
    if (!console_read_line(shell.console.in, line)) return false;
    ++shell.console.lines_read;
    if (shell.console.echo) shell.out->printf("%s\n", line.c_str());
    return true;
}

// Reads an answer, with editing: the question's last line is the editor's
// prompt, what comes before it is printed as it is.
ConsoleRead read_answer(ShellState& shell, const char* question, std::string& answer) {
    if (!editing(shell.console)) {
        const InterruptModeScope line_mode(InterruptMode::line);
        shell.out->put(question);
        shell.out->flush();
        return plain_line(shell, answer) ? ConsoleRead::line : ConsoleRead::end;
    }
    const char* last = std::strrchr(question, '\n');
    const char* prompt = last != nullptr ? last + 1 : question;
    shell.out->write(question, static_cast<std::size_t>(prompt - question));
    const InterruptModeScope line_mode(InterruptMode::line);
    switch (line_editor_read(prompt, answer, false)) {
    case EditedLine::line: return ConsoleRead::line;
    case EditedLine::interrupted: return ConsoleRead::interrupted;
    case EditedLine::end: break;
    }
    return ConsoleRead::end;
}

}  // namespace

bool console_read_line(std::FILE* in, std::string& line) {
    line.clear();
    bool got_any = false;
    bool ended = false;  // a NUL has ended the text
    int c = EOF;
    while ((c = std::getc(in)) != EOF) {
        got_any = true;
        if (c == '\n') break;
        if (c == '\0') ended = true;
        if (!ended && line.size() < KEEP_MAX) line += static_cast<char>(c);
    }
    if (c == '\n' && !ended && !line.empty() && line.back() == '\r') line.pop_back();
    return got_any;
}

bool console_start_editing(Console& console) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return false;
    console.terminal = true;
#ifdef _WIN32
    // The Windows console edits lines itself; Ctrl-C still cancels a wait.
    install_interrupt_handler();
    return false;
#endif
    if (!line_editor_start(history_file_path())) return false;
    install_interrupt_handler();
    return true;
}

bool console_at_terminal(const Console& console) {
    if (console.terminal_forced) return *console.terminal_forced;
    return console.terminal && console.in == stdin;
}

ConsoleRead console_read_command(ShellState& shell, const char* prompt, std::string& line) {
    if (!editing(shell.console)) {
        const InterruptModeScope line_mode(InterruptMode::line);
        shell.out->put(prompt);
        return plain_line(shell, line) ? ConsoleRead::line : ConsoleRead::end;
    }
    const InterruptModeScope line_mode(InterruptMode::line);
    switch (line_editor_read(prompt, line, true)) {
    case EditedLine::line: return ConsoleRead::line;
    case EditedLine::interrupted: return ConsoleRead::interrupted;
    case EditedLine::end: break;
    }
    return ConsoleRead::end;
}

Answer ask_confirmation(ShellState& shell, const char* question) {
    std::string answer;
    if (read_answer(shell, question, answer) != ConsoleRead::line) return Answer::end_of_input;
    return (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) ? Answer::yes : Answer::no;
}

void console_wait_for_enter(ShellState& shell) {
    std::string ignored;
    if (read_answer(shell, "", ignored) == ConsoleRead::interrupted) request_cancel();
}
