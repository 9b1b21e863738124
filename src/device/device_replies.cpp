#include "device/device_replies.hpp"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

long find_text(const uint8_t* data, std::size_t count, const char* text, std::size_t from) {
    const std::size_t n = std::strlen(text);
    if (n == 0 || count < n) return -1;
    for (std::size_t i = from; i + n <= count; ++i) {
        if (std::memcmp(data + i, text, n) == 0) return static_cast<long>(i);
    }
    return -1;
}

bool power_on_complete(const uint8_t* data, std::size_t count) {
    long ident = find_text(data, count, DEVICE_IDENT);
    if (ident < 0) return false;
    long label = find_text(data, count, VERSION_LABEL, static_cast<std::size_t>(ident));
    if (label < 0) return false;
    std::size_t i = static_cast<std::size_t>(label) + std::strlen(VERSION_LABEL);
    while (i < count && std::isspace(data[i])) ++i;
    if (i < count && (data[i] == '+' || data[i] == '-')) ++i;
    std::size_t digits = i;
    while (i < count && std::isdigit(data[i])) ++i;
    if (i == digits || i == count) return false;  // the major number may still be arriving
    if (data[i] != '.') return true;              // a version without a minor number
    return i + 1 < count && std::isdigit(data[i + 1]);
}

uint32_t settle_ms_for(uint32_t rate) {
    const uint32_t twenty_chars = rate != 0 ? 200000u / rate : 0;
    return twenty_chars > 50 ? twenty_chars : 50;
}

ReadUntil until_text(const char* text, uint32_t rate) {
    std::string wanted = text;
    return ReadUntil{[wanted](const uint8_t* data, std::size_t count) {
                         return find_text(data, count, wanted.c_str()) >= 0;
                     },
                     settle_ms_for(rate)};
}

namespace {

// A character that would make the number before it another number.
bool continues_number(uint8_t c) { return std::isdigit(c) || c == '.' || c == ',' || c == 'e' || c == 'E'; }

}  // namespace

bool connected_reply(const uint8_t* data, std::size_t count, long rate, bool ended) {
    char expected[40];
    const int n = std::snprintf(expected, sizeof expected, "Connected %ld", rate);
    for (long at = find_text(data, count, expected); at >= 0;
         at = find_text(data, count, expected, static_cast<std::size_t>(at) + 1)) {
        const std::size_t after = static_cast<std::size_t>(at) + static_cast<std::size_t>(n);
        if (after == count ? ended : !continues_number(data[after])) return true;
    }
    return false;
}

ReadUntil until_connected(long rate, uint32_t port_rate) {
    return ReadUntil{[rate](const uint8_t* data, std::size_t count) { return connected_reply(data, count, rate, false); },
                     settle_ms_for(port_rate)};
}
