// Line editing with libedit (BSD licence): emacs keys, history with Up, Down
// and Ctrl-R, Tab completion from complete_line, and a character reader of
// our own so that Ctrl-C ends the read at once.
#include <histedit.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "process/interrupt.hpp"
#include "shell/completion.hpp"
#include "shell/line_editor.hpp"

namespace {

// Process-wide: libedit's callbacks (prompt, reader, completion) get no context.
EditLine* g_el = nullptr;
History* g_history = nullptr;
std::string g_history_file;
std::string g_prompt;
bool g_interrupted = false;
std::mbstate_t g_mb{};

const char* prompt_text(EditLine*) { return g_prompt.c_str(); }

// One character from standard input. A Ctrl-C while waiting for it ends the
// read with an error, which el_gets reports as a count of -1. SIGINT is
// blocked except inside ppoll, so that no press slips between the look at
// the flag and the wait.
int read_character(EditLine*, wchar_t* out) {
    sigset_t block, old;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigprocmask(SIG_BLOCK, &block, &old);
    int result = -1;
    for (;;) {
        if (take_line_interrupt()) {
            g_interrupted = true;
            break;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        const int r = ppoll(&p, 1, nullptr, &old);
        if (r < 0) {
            if (errno == EINTR) continue;
            break;
        }
        unsigned char byte = 0;
        const ssize_t n = ::read(STDIN_FILENO, &byte, 1);
        if (n == 0) {
            result = 0;
            break;
        }
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            break;
        }
        char c = static_cast<char>(byte);
        wchar_t wc = 0;
        const std::size_t got = std::mbrtowc(&wc, &c, 1, &g_mb);
        if (got == static_cast<std::size_t>(-2)) continue;  // more bytes of the character to come
        if (got == static_cast<std::size_t>(-1)) {
            g_mb = {};
            wc = static_cast<wchar_t>(byte);
        }
        *out = wc;
        result = 1;
        break;
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    return result;
}

// Tab: inserts what completes the word; with several candidates and nothing
// more in common, lists them under the line.
unsigned char complete(EditLine* el, int) {
    const LineInfo* li = el_line(el);
    const Completion c = complete_line(std::string(li->buffer, li->cursor));
    if (!c.insert.empty()) {
        el_insertstr(el, c.insert.c_str());
        return CC_REFRESH;
    }
    if (c.choices.empty()) return CC_REFRESH_BEEP;
    std::fputs("\n", stdout);
    for (const std::string& name : c.choices) std::printf("%s  ", name.c_str());
    std::fputs("\n", stdout);
    return CC_REDISPLAY;
}

// Creates the folders of the history file, private to the user.
void make_folders(const std::string& file) {
    for (std::size_t at = file.find('/', 1); at != std::string::npos; at = file.find('/', at + 1)) {
        mkdir(file.substr(0, at).c_str(), 0700);
    }
}

}  // namespace

std::string history_file_path() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string folder;
    if (state != nullptr && state[0] == '/') {
        folder = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        folder = std::string(home) + "/.local/state";
    } else {
        return "";
    }
    return folder + "/korrimatic/history";
}

bool line_editor_start(const std::string& history_file) {
    if (g_el != nullptr) return true;
    std::setlocale(LC_CTYPE, "");  // for characters beyond ASCII; numbers keep the C locale
    g_el = el_init("korrimatic", stdin, stdout, stderr);
    if (g_el == nullptr) return false;
    g_history = history_init();
    HistEvent ev;
    history(g_history, &ev, H_SETSIZE, HISTORY_LINES);
    history(g_history, &ev, H_SETUNIQUE, 1);
    g_history_file = history_file;
    if (!g_history_file.empty()) history(g_history, &ev, H_LOAD, g_history_file.c_str());
    el_set(g_el, EL_EDITOR, "emacs");
    el_set(g_el, EL_HIST, history, g_history);
    el_set(g_el, EL_PROMPT, prompt_text);
    el_set(g_el, EL_GETCFN, read_character);
    // The wide call keeps the two names as given; the narrow one copies them
    // into memory el_end never frees.
    el_wset(g_el, EL_ADDFN, L"korri-complete", L"Complete the command word or the file name", complete);
    el_set(g_el, EL_BIND, "^I", "korri-complete", nullptr);
    el_set(g_el, EL_BIND, "^R", "em-inc-search-prev", nullptr);
    el_source(g_el, nullptr);  // the user's ~/.editrc, if any
    return true;
}

bool line_editor_running() { return g_el != nullptr; }

EditedLine line_editor_read(const char* prompt, std::string& line, bool remember) {
    line.clear();
    g_prompt = prompt;
    g_interrupted = false;
    g_mb = {};
    int count = 0;
    const char* text = el_gets(g_el, &count);
    if (g_interrupted) {
        const LineInfo* li = el_line(g_el);
        line.assign(li->buffer, li->lastchar);
        // The dropped text stays on the screen; the editor starts afresh.
        el_reset(g_el);
        el_set(g_el, EL_GETCFN, read_character);
        return EditedLine::interrupted;
    }
    if (text == nullptr || count <= 0) return EditedLine::end;
    line.assign(text, static_cast<std::size_t>(count));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (remember && !line.empty()) {
        HistEvent ev;
        history(g_history, &ev, H_ENTER, line.c_str());
        if (!g_history_file.empty()) {
            make_folders(g_history_file);
            history(g_history, &ev, H_SAVE, g_history_file.c_str());
            chmod(g_history_file.c_str(), 0600);
        }
    }
    return EditedLine::line;
}

void line_editor_stop() {
    if (g_el == nullptr) return;
    el_end(g_el);
    history_end(g_history);
    g_el = nullptr;
    g_history = nullptr;
}
