#include "shell/shell_state.hpp"

ShellState shell{};
