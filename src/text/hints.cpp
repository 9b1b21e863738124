#include "text/hints.hpp"

void Hints::offer(const std::string& text) {
    if (hint_.empty()) hint_ = text;
}

void Hints::prefer(const std::string& text) {
    if (!text.empty()) hint_ = text;
}

std::string Hints::take() {
    std::string hint;
    hint.swap(hint_);
    return hint;
}
