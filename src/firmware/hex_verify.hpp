// Verification of an Intel HEX firmware file before anything is sent to the
// device: every record line must be well formed (its colon first, hex digits
// after it), carry a correct checksum, be of a standard type, hold at most 128
// data bytes and, for data records, start on a 4-byte boundary, while the
// others hold their own count (01: 0, 02 and 04: 2, 03 and 05: 4); the file must
// be whole: it ends with its end-of-file record, nothing follows that record,
// and no two data records write the same address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "firmware/firmware_codes.hpp"
#include "text/sink.hpp"

// The longest line read at once; a longer line is read as several lines.
inline constexpr std::size_t HEX_LINE_LIMIT = 511;
// The most data bytes a record may hold, and the length of such a record line.
inline constexpr unsigned HEX_MAX_DATA_BYTES = 128;
inline constexpr std::size_t HEX_MAX_RECORD_CHARS = 2 * HEX_MAX_DATA_BYTES + 11;

// The value of a field of n characters: blanks and tabs skipped, an optional
// sign, then hex digits up to the first other character or the field's end.
int hex_to_int(const char* text, int n);

// The 8-bit sum of the byte pairs of a record's text after its colon; a lone
// last character counts as a one-character field. A correct record gives 0.
uint8_t inhex_checksum(const char* text);

// Checks the whole file from its start. Returns the number of record lines
// (at least 1), or a HEX_* code after printing the fault and its line;
// a record line longer than HEX_LINE_LIMIT is refused with its length;
// HEX_READ_FAILED, with nothing printed, when the file cannot be read.
// With `records`, every record line checked is added to it as read (line end
// removed), so that what is sent later can be held against what was checked.
int inhexverify(std::FILE* fp, std::vector<std::string>* records, Sink& out);
