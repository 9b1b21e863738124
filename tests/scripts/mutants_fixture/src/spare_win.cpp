// Built for Windows only, as a whole file: never mutated.
#include <windows.h>

int spare_handles() { return 2; }
