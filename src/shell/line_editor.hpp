// Line editing at a terminal: editing keys, a history kept between runs,
// completion with Tab, and Ctrl-C that drops the line. Only
// line_editor_libedit.cpp knows the editing library; a build without it
// (Windows, whose console edits lines itself) reads plain lines.
#pragma once

#include <string>

enum class EditedLine {
    line,         // a line was entered
    interrupted,  // Ctrl-C: `line` holds the text that was dropped
    end,          // Ctrl-D on an empty line, or the end of the input
};

// Starts editing on standard input and output; false when this build has no
// line editing. The history is read from `history_file` (none when empty).
bool line_editor_start(const std::string& history_file);
bool line_editor_running();

// Shows the prompt (one line, no line end) and reads a line. A line entered
// is added to the history (and the history saved) when `remember` is true.
EditedLine line_editor_read(const char* prompt, std::string& line, bool remember);

// Leaves the terminal as it was found.
void line_editor_stop();

// The most lines the history keeps.
inline constexpr int HISTORY_LINES = 500;

// The history file in the user's state folder: $XDG_STATE_HOME (when it is
// an absolute path) or ~/.local/state, then korrimatic/history. Empty when
// neither can be found.
std::string history_file_path();
