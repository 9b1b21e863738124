#include "shell/shell_state.hpp"

// Made before main: its port only holds an empty driver slot and standard
// output until the shell starts, so nothing here can throw in practice.
ShellState shell{};  // NOLINT(cert-err58-cpp)
