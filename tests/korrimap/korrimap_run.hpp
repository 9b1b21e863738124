// Running the built korrimap in the tests.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.hpp"

inline ProgramResult run_korrimap(const std::vector<std::string>& args) { return run_program(KORRIMAP_BIN, args, ""); }

inline std::string example(const std::string& name) { return std::string(KORRI_SOURCE_DIR) + "/examples/" + name; }

inline std::string korrimap_data(const std::string& name) {
    return std::string(KORRI_SOURCE_DIR) + "/tests/korrimap/data/" + name;
}
