// Rules files written to a temporary folder for the parser under test.
#pragma once

#include <string>

#include "station/station.hpp"

// A file in a folder of its own; both are removed with the object.
class TempRulesFile {
public:
    explicit TempRulesFile(const std::string& text, const std::string& name = "test.rul");
    ~TempRulesFile();
    TempRulesFile(const TempRulesFile&) = delete;
    TempRulesFile& operator=(const TempRulesFile&) = delete;

    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::string path_;
};

// What one call of rules_process gave.
struct ParseOutcome {
    int rc;
    std::string out;   // everything it printed
    std::string path;  // the file name it was given
};

// Writes the text to a temporary Rules file and processes it into the station.
ParseOutcome parse_rules(Station& station, const std::string& text);

// The whole message of a line in error, as the parser prints it.
std::string line_message(const std::string& path, int line, const std::string& message, const std::string& text);

// The bytes of a record, for comparisons.
std::string record_bytes(const Station& station, int slot);
