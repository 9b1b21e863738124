#include "text/tokens.hpp"

#include <cstring>

char* next_token(char*& cursor, const char* separators) {
    if (cursor == nullptr) return nullptr;
    char* p = cursor + std::strspn(cursor, separators);
    if (*p == '\0') {
        cursor = p;
        return nullptr;
    }
    char* end = p + std::strcspn(p, separators);
    if (*end != '\0') {
        *end = '\0';
        cursor = end + 1;
    } else {
        cursor = end;
    }
    return p;
}

ArgumentCursor argument_cursor(char* text) { return {text, std::strpbrk(text, COMMENT_CHARS)}; }

Argument take_argument(ArgumentCursor& line, const char* separators, bool comment_test, char*& token) {
    token = next_token(line.cursor, separators);
    if (token == nullptr) return Argument::missing;
    if (comment_test && line.comment != nullptr && token >= line.comment) return Argument::in_comment;
    return Argument::taken;
}

bool is_comment_char(char c) { return c != '\0' && std::strchr(COMMENT_CHARS, c) != nullptr; }
