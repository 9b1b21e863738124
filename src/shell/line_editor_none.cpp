// The build without line editing: lines are read as they come.
#include "shell/line_editor.hpp"

bool line_editor_start(const std::string&) { return false; }
bool line_editor_running() { return false; }
EditedLine line_editor_read(const char*, std::string& line, bool) {
    line.clear();
    return EditedLine::end;
}
void line_editor_stop() {}
std::string history_file_path() { return ""; }
