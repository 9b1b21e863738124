#include "shell/tokens.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

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

int32_t parse_decimal(const char* text) {
    errno = 0;
    long long v = std::strtoll(text, nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int parse_com_port(const char* token) {
    int32_t n = parse_decimal(token);
    if (n == 0 && strncasecmp(token, "com", 3) == 0) n = parse_decimal(token + 3);
    if (n < 1 || n > 20) {
        std::printf("\a\aError: invalid COM port number (1..20): %s\n", token);
        return 0;
    }
    return n;
}
