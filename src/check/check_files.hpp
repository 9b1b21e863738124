// korrimatic --check CONFIG RULES: both files read with the utility's own
// parsers, each error and each likely mistake printed as
// FILE:LINE: error: ... or FILE:LINE: warning: ..., one a line.
#pragma once

class Sink;

inline constexpr int CHECK_CLEAN = 0;
inline constexpr int CHECK_WARNINGS = 1;
inline constexpr int CHECK_ERRORS = 2;

// Either name may be "-" for no file of that kind. A file in error is
// reported by the parser's own messages (without bells); the warnings
// follow only when both files are read without error. Returns CHECK_CLEAN,
// CHECK_WARNINGS or CHECK_ERRORS. The configuration and the rule table in
// memory are as they were afterwards. The report goes to `out`.
int check_files(const char* config_file, const char* rules_file, Sink& out);
