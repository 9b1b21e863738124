#pragma once

#include <cctype>
#include <string>

// Whether `word` stands in the text as a word of its own.
inline bool names(const std::string& text, const std::string& word) {
    auto is_word_char = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool starts = at == 0 || !is_word_char(text[at - 1]);
        const bool ends = at + word.size() == text.size() || !is_word_char(text[at + word.size()]);
        if (starts && ends) return true;
    }
    return false;
}
