#include "shell/command_line.hpp"
#include "shell/shell_state.hpp"

int main(int argc, char** argv) {
    ShellState shell;
    return run_command_line(shell, parse_command_line(argc, argv));
}
