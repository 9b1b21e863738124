// Cutting a command line into tokens, and reading numbers from them.
#pragma once

#include <cstdint>

// Separators of a command word, a port number or a rate.
inline constexpr const char* WORD_SEPARATORS = ", \t";
// Separators of a file name: it may hold spaces.
inline constexpr const char* FILE_NAME_SEPARATORS = ",\t";

// Takes the next token from *cursor: separators before it are skipped, the
// token runs to the next separator, and that one separator is consumed (it is
// overwritten with NUL). *cursor moves past the token. Returns nullptr when no
// token is left.
char* next_token(char*& cursor, const char* separators);

// Decimal value of the leading digits: leading white space and one sign
// allowed, 0 when there are no digits; clamped to the 32-bit range.
int32_t parse_decimal(const char* text);

// Port number 1..20 from a com_port token ("3", "COM3", "com3", "Com3x").
// Prints the invalid-port message and returns 0 when the token is invalid.
int parse_com_port(const char* token);
