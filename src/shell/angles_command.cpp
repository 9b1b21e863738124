// The angles command: prints the help text of the angle notations.
#include "angles/angles.hpp"
#include "shell/commands.hpp"
#include "shell/shell_state.hpp"

CommandOutcome cmd_angles(ShellState& shell, char*) {
    show_angles_help(*shell.out);
    return CommandOutcome::done;
}
