#include "shell/prompt_loop.hpp"

int main() { return run_shell(); }
