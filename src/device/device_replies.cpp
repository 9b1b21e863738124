#include "device/device_replies.hpp"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "text/numbers.hpp"

namespace {

// The end of the major number of a version from `from` on: white space, one
// sign, the digits. `digits` is where the digits begin.
std::size_t major_number_end(const uint8_t* data, std::size_t count, std::size_t from, std::size_t& digits) {
    std::size_t i = from;
    while (i < count && std::isspace(data[i])) ++i;
    if (i < count && (data[i] == '+' || data[i] == '-')) ++i;
    digits = i;
    while (i < count && std::isdigit(data[i])) ++i;
    return i;
}

}  // namespace

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
    std::size_t digits = 0;
    const std::size_t i =
        major_number_end(data, count, static_cast<std::size_t>(label) + std::strlen(VERSION_LABEL), digits);
    if (i == digits || i == count) return false;  // the major number may still be arriving
    if (data[i] != '.') return true;              // a version without a minor number
    return i + 1 < count && std::isdigit(data[i + 1]);
}

DeviceVersion parse_device_version(const char* number) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(number);
    std::size_t digits = 0;
    const std::size_t end = major_number_end(bytes, std::strlen(number), 0, digits);
    const int minor = number[end] == '.' ? parse_decimal(number + end + 1) : 0;
    return DeviceVersion{parse_decimal(number), minor};
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
