#include "rules/rules_files.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "rules/rules_process.hpp"
#include "text/sink.hpp"

TempRulesFile::TempRulesFile(const std::string& text, const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/korri-rules-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    path_ = folder_ + "/" + name;
    std::ofstream(path_, std::ios::binary) << text;
}

TempRulesFile::~TempRulesFile() {
    std::remove(path_.c_str());
    rmdir(folder_.c_str());
}

ParseOutcome parse_rules(Station& station, const std::string& text) {
    TempRulesFile file(text);
    StringSink out;
    int rc = rules_process(station, file.path().c_str(), out);
    return {rc, out.take(), file.path()};
}

std::string line_message(const std::string& path, int line, const std::string& message, const std::string& text) {
    return "\a\aError: " + path + "[" + std::to_string(line) + "]: " + message + ":\n" + text + "\n";
}

std::string record_bytes(const Station& station, int slot) {
    return std::string(reinterpret_cast<const char*>(&station.rule_table.slot[slot]), sizeof(RuleRecord));
}
