// printf into a string of whatever length the text needs (a huge radius or
// range is shown in full).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

[[gnu::format(printf, 1, 2)]] inline std::string formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(n > 0 ? static_cast<std::size_t>(n) + 1 : 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, again);
    va_end(again);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}
