#include "text/suggest.hpp"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <set>

namespace {

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Edits from a to b: letters added, left out or changed, and neighbours
// swapped (optimal string alignment distance).
std::size_t edits(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::string nearest_word(const std::string& typed, const std::vector<const char*>& words) {
    const std::string t = lower(typed);
    if (t.empty()) return "";
    const std::size_t allowed = t.size() <= 4 ? 1 : 2;
    std::size_t best = SIZE_MAX;
    const char* chosen = nullptr;
    for (const char* word : words) {
        const std::string w = lower(word);
        if (w.size() < 2) continue;  // ".", "?", "x", "d", "p": never a suggestion
        std::size_t distance = edits(t, w);
        if (t.size() >= 3 && t.size() < w.size()) distance = std::min(distance, edits(t, w.substr(0, t.size())));
        if (distance < best) {
            best = distance;
            chosen = word;
        }
    }
    if (chosen == nullptr || best == 0 || best > allowed) return "";
    return chosen;
}

std::string did_you_mean(const std::string& typed, const std::vector<const char*>& words) {
    const std::string word = nearest_word(typed, words);
    return word.empty() ? "" : "did you mean \"" + word + "\"?";
}

std::string candidates_hint(const std::string& typed, const std::vector<const char*>& words) {
    const std::string t = lower(typed);
    if (t.empty()) return "";
    std::set<std::string> fitting;
    for (const char* word : words)
        if (const std::string w = lower(word); w.compare(0, t.size(), t) == 0) fitting.insert(word);
    if (fitting.size() < 2) return "";
    std::string hint = "did you mean one of: ";
    for (const std::string& w : fitting) hint += (&w == &*fitting.begin() ? "" : ", ") + w;
    return hint + "?";
}
