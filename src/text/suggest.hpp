// "did you mean ...": the word of a table that a mistyped word was most
// likely meant to be.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The word of `words` nearest to `typed`, letter case ignored, when it is
// near enough to be a slip of the fingers: one edit (a letter added, left
// out, changed, or two neighbours swapped) for words of up to four letters,
// two for longer ones. A typed word may also be a mistyped abbreviation:
// it is held against each word's leading part of its own length too.
// Empty when no word is near enough; the first of equally near words wins.
std::string nearest_word(const std::string& typed, const std::vector<const char*>& words);

// "did you mean \"word\"?" for the nearest word, or empty.
std::string did_you_mean(const std::string& typed, const std::vector<const char*>& words);

// For an ambiguous word: "did you mean one of: a, b, c?" with every word of
// `words` that `typed` is a leading part of (letter case ignored), each once
// and in alphabetical order; empty when fewer than two fit.
std::string candidates_hint(const std::string& typed, const std::vector<const char*>& words);

template <typename Row, std::size_t N, typename WordOf>
std::vector<const char*> words_of(const Row (&rows)[N], WordOf word_of) {
    std::vector<const char*> words;
    for (const Row& row : rows) words.push_back(word_of(row));
    return words;
}

// The same for the words of a table, as prefix_match takes them.
template <typename Row, std::size_t N, typename WordOf>
std::string did_you_mean(const char* typed, const Row (&rows)[N], WordOf word_of) {
    return did_you_mean(typed, words_of(rows, word_of));
}

template <typename Row, std::size_t N, typename WordOf>
std::string candidates_hint(const char* typed, const Row (&rows)[N], WordOf word_of) {
    return candidates_hint(typed, words_of(rows, word_of));
}
