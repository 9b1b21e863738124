#include "decode/image_diff.hpp"

#include <cstring>

#include "decode/config_decode.hpp"
#include "decode/rules_decode.hpp"
#include "text/formatted.hpp"

namespace {

// What a rule does, its line aside.
bool same_rule(const RuleRecord& a, const RuleRecord& b) { return std::memcmp(&a, &b, offsetof(RuleRecord, line)) == 0; }

std::string text_of(const RuleRecord& r) {
    std::string problem;
    return rule_text(r, problem);
}

// The rules of both tables paired by the longest common sequence of equal
// rules; what lies between two pairs is removed, added, or, one against one,
// changed.
void diff_rules(const std::vector<RuleRecord>& a, const std::vector<RuleRecord>& b, ImageDiff& d) {
    const std::size_t n = a.size();
    const std::size_t m = b.size();
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            lcs[i][j] = same_rule(a[i], b[j]) ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::size_t i = 0;
    std::size_t j = 0;
    int moved = 0;
    std::vector<std::size_t> removed;
    std::vector<std::size_t> added;
    const auto flush = [&] {
        std::size_t k = 0;
        for (; k < removed.size() && k < added.size(); ++k)
            d.lines.push_back(formatted("rule changed at line %u: %s (was line %u: %s)", static_cast<unsigned>(b[added[k]].line),
                                        text_of(b[added[k]]).c_str(), static_cast<unsigned>(a[removed[k]].line),
                                        text_of(a[removed[k]]).c_str()));
        for (std::size_t r = k; r < removed.size(); ++r)
            d.lines.push_back(formatted("rule removed (was line %u): %s", static_cast<unsigned>(a[removed[r]].line),
                                        text_of(a[removed[r]]).c_str()));
        for (std::size_t r = k; r < added.size(); ++r)
            d.lines.push_back(formatted("rule added at line %u: %s", static_cast<unsigned>(b[added[r]].line),
                                        text_of(b[added[r]]).c_str()));
        d.rules += static_cast<int>(std::max(removed.size(), added.size()));
        removed.clear();
        added.clear();
    };
    while (i < n || j < m) {
        if (i < n && j < m && same_rule(a[i], b[j])) {
            flush();
            if (a[i].line != b[j].line) ++moved;
            ++i;
            ++j;
        } else if (j < m && (i == n || lcs[i][j + 1] >= lcs[i + 1][j])) {
            added.push_back(j++);
        } else {
            removed.push_back(i++);
        }
    }
    flush();
    if (moved > 0)
        d.lines.push_back(formatted("%d unchanged rule%s on other lines (the device keeps each rule's line)", moved,
                                    moved == 1 ? " stands" : "s stand"));
}

}  // namespace

ImageDiff diff_images(const ConfigRecord& held, const std::vector<RuleRecord>& held_rules, const ConfigRecord& sent,
                      const std::vector<RuleRecord>& sent_rules) {
    ImageDiff d;
    const std::vector<ConfigField> before = config_fields(held);
    const std::vector<ConfigField> after = config_fields(sent);
    for (std::size_t k = 0; k < before.size() && k < after.size(); ++k) {
        if (before[k].value == after[k].value) continue;
        d.lines.push_back(std::string(before[k].name) + ": " + before[k].value + " -> " + after[k].value);
        ++d.fields;
    }
    // The images as bytes: what the device stores.
    const auto* held_bytes = reinterpret_cast<const unsigned char*>(&held);
    const auto* sent_bytes = reinterpret_cast<const unsigned char*>(&sent);
    const bool config_same = std::memcmp(held_bytes, sent_bytes, sizeof held) == 0;
    if (!config_same && d.fields == 0) {
        d.lines.push_back("configuration image: bytes that no field shows differ");
        ++d.fields;
    }
    diff_rules(held_rules, sent_rules, d);
    d.same_bytes = config_same && held_rules.size() == sent_rules.size() &&
                   (held_rules.empty() ||
                    std::memcmp(held_rules.data(), sent_rules.data(), held_rules.size() * sizeof(RuleRecord)) == 0);
    return d;
}
