// Matching a word as a leading part of the words of a table, without regard
// to case: the command words of the console, the Configuration file's
// keywords and the Rules file's command words.
#pragma once

#include <strings.h>

#include <cstddef>
#include <cstring>

enum class Match { found, unknown, ambiguous };

struct PrefixMatch {
    Match result = Match::unknown;
    std::size_t index = 0;  // the matching row, when found
};

// Walks the rows in order: a row matches when the word, compared over its own
// length, equals the row's first characters (a word longer than the row's
// word never matches it). A second match makes the word ambiguous, even when
// it equals one of the rows in full. `word_of` gives a row's word.
template <typename Row, std::size_t N, typename WordOf>
PrefixMatch prefix_match(const char* word, const Row (&rows)[N], WordOf word_of) {
    PrefixMatch m;
    const std::size_t n = std::strlen(word);
    if (n == 0) return m;
    for (std::size_t i = 0; i < N; ++i) {
        const char* candidate = word_of(rows[i]);
        if (n > std::strlen(candidate) || strncasecmp(word, candidate, n) != 0) continue;
        if (m.result == Match::found) return {Match::ambiguous, m.index};
        m = {Match::found, i};
    }
    return m;
}
