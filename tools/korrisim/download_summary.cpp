#include "download_summary.hpp"

#include <algorithm>
#include <cstring>

#include "decode/config_decode.hpp"
#include "decode/rules_decode.hpp"
#include "station/config_record.hpp"
#include "station/rule_record.hpp"
#include "text/formatted.hpp"

namespace {

constexpr const char* HEADER = "held by the device";

// The lines of a decoded file, less its header comment.
void add_lines(std::vector<std::string>& lines, const char* title, const std::string& text) {
    lines.push_back(title);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        std::string shown = line;
        if (const std::size_t h = shown.find(std::string("#") + HEADER); h != std::string::npos) shown.erase(h);
        if (shown.empty() || shown == std::string("# ") + HEADER) continue;
        lines.push_back("  " + printable(shown));
    }
}

}  // namespace

std::vector<std::string> describe_device_images(const std::vector<uint8_t>& config_bytes,
                                                const std::vector<uint8_t>& rules) {
    std::vector<std::string> lines;
    ConfigRecord c{};
    std::memcpy(&c, config_bytes.data(), std::min(config_bytes.size(), sizeof c));
    std::vector<RuleRecord> records(rules.size() / sizeof(RuleRecord));
    if (!records.empty()) std::memcpy(records.data(), rules.data(), records.size() * sizeof(RuleRecord));

    lines.push_back("call sign " + printable(config_call_sign(c)) + ", SSID " + std::to_string(c.ssid));
    const char* implicit = c.implicit_action == IMPLICIT_PASS   ? "pass"
                           : c.implicit_action == IMPLICIT_DROP ? "drop"
                                                                : "INVALID";
    lines.push_back(formatted("rule count %u (%zu records received), implicit action %s",
                              static_cast<unsigned>(c.rule_count), records.size(), implicit));
    std::vector<std::string> problems;
    add_lines(lines, "as a Configuration file:", decode_config(c, HEADER, problems));
    add_lines(lines, "as a Rules file:", decode_rules(c, records, HEADER, problems));
    return lines;
}
