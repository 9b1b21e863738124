// The angles command: prints the help text of the angle notations.
#include "angles/angles.hpp"
#include "shell/commands.hpp"

CommandOutcome cmd_angles(char*) {
    show_angles_help();
    return CommandOutcome::done;
}
