// The rules and drules commands.
#include <cstdio>

#include "rules/rules_display.hpp"
#include "rules/rules_process.hpp"
#include "shell/commands.hpp"
#include "shell/tokens.hpp"

void cmd_rules(char* args) {
    char* cursor = args;
    const char* file_name = next_token(cursor, FILE_NAME_SEPARATORS);
    if (file_name == nullptr) {
        std::printf("\a\aError: missing argument: file_name\n");
        return;
    }
    if (rules_process(file_name) != 0) std::printf("\a\aError: Rule processing failed\n");
}

void cmd_drules(char*) { rules_display(); }
