// The end of a script run with --keep-going: which lines failed, on standard
// error, so that the operator need not search the transcript.
#pragma once

#include <string>
#include <vector>

class FailedLines {
public:
    void add(unsigned long number, const std::string& text) { lines_.push_back({number, text}); }
    bool empty() const { return lines_.empty(); }
    // "korrimatic: SCRIPT: N lines failed:" and one line each, or nothing.
    std::string summary(const char* script_name) const;

private:
    struct Failed {
        unsigned long number;
        std::string text;
    };
    std::vector<Failed> lines_;
};
