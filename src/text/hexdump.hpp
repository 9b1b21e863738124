// Prints bytes as a title line and lines of 16: offset, hexadecimal in two
// groups of eight, and the bytes as characters.
#pragma once

#include "text/sink.hpp"

// title_style 0: "hexdump: ..." with the buffer's address; bit 0 set: the name
// (or "hexdump: " when there is none) and the length; bit 1 set without bit 0:
// the length alone; any other non-zero value: no title. The column header is
// printed before every header_every'th line (never when it is 0).
void hexdump(int title_style, const char* name, const void* bytes, int count, int header_every, Sink& out);
