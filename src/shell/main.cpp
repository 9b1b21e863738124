#include "shell/command_line.hpp"

int main(int argc, char** argv) { return run_command_line(parse_command_line(argc, argv)); }
