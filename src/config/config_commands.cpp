// The configure and dconfigure commands.
#include <cstdio>

#include "config/config_display.hpp"
#include "config/config_parser.hpp"
#include "shell/commands.hpp"
#include "shell/tokens.hpp"

void cmd_configure(char* args) {
    char* cursor = args;
    const char* file_name = next_token(cursor, FILE_NAME_SEPARATORS);
    if (file_name == nullptr) {
        std::printf("\a\aError: missing argument: file_name\n");
        return;
    }
    // conf_process sets the configuration-processed flag when the whole
    // file was read without error.
    if (conf_process(file_name) != 0) std::printf("\a\aError: Configuration processing failed\n");
}

void cmd_dconfigure(char*) { show_config(); }
