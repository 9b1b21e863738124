// A likely mistake found in one of the operator's files: a value the parser
// takes without a word, but that the operator probably did not mean.
#pragma once

#include <string>

enum class CheckedFile { config, rules };

struct CheckWarning {
    CheckedFile file;
    int line;             // in that file; 0 when the mistake has no line (a line left out)
    std::string message;  // one line, without a line end
};
