// korrimatic --check CONFIG RULES: both files read with the utility's own
// parsers, each error and each likely mistake printed as
// FILE:LINE: error: ... or FILE:LINE: warning: ..., one a line.
#pragma once

#include <string>

class Sink;

inline constexpr int CHECK_CLEAN = 0;
inline constexpr int CHECK_WARNINGS = 1;
inline constexpr int CHECK_ERRORS = 2;

// Either name may be "-" for no file of that kind. A file in error is
// reported by the parser's own messages (without bells); the warnings
// follow only when both files are read without error. Returns CHECK_CLEAN,
// CHECK_WARNINGS or CHECK_ERRORS. The configuration and the rule table in
// memory are as they were afterwards. The report goes to `out`. After a
// file's error lines comes the hint the terminal gives after them, as
// FILE:LINE: note: ...; for a file that cannot be opened, `file_name_hint`
// (when given) says what is wrong with its name.
using FileNameHint = std::string (*)(const std::string& name);
int check_files(const char* config_file, const char* rules_file, Sink& out, FileNameHint file_name_hint = nullptr);
