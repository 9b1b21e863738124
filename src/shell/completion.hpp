// What Tab completes at the prompt: the command word, and after configure,
// rules and firmware the file name.
#pragma once

#include <string>
#include <vector>

struct Completion {
    std::string insert;                // text to insert at the cursor
    std::vector<std::string> choices;  // the candidates, when more than one fits
};

// Completes the text before the cursor. Command words are completed from
// the command table (a unique one gets a space after it); a file name is
// completed from the folder it names (a folder gets a '/').
Completion complete_line(const std::string& before_cursor);

// The names in `folder` (empty: the current one) that begin with `base`,
// sorted; folders end in '/'. Hidden names only when `base` begins with '.'.
std::vector<std::string> file_names_starting(const std::string& folder, const std::string& base);
