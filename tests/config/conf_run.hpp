// Runs conf_process over a file with given contents, from a clean state.
#pragma once

#include <string>

#include "config/config_parser.hpp"
#include "config/config_record.hpp"
#include "shell/shell_state.hpp"
#include "support/capture.hpp"
#include "temp_file.hpp"

struct ConfRun {
    int code;
    std::string out;
};

// The state the shell has at start-up.
inline void reset_config_state() {
    load_config_defaults();
    digi_path_count = 0;
    shell.config_processed = 0;
}

inline ConfRun conf_run(const std::string& contents) {
    TempFile file(contents);
    StdoutCapture capture;
    const int code = conf_process(file.path().c_str());
    return {code, capture.text()};
}
