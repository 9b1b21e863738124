// Result codes of the firmware file check and of the firmware update. Each is
// returned after its message; the values never change.
#pragma once

// inhexverify: the number of record lines on success, else one of these.
inline constexpr int HEX_NO_FILE = -1;         // called without an open file
inline constexpr int HEX_BAD_CHECKSUM = -2;    // a record's bytes do not sum to 0
inline constexpr int HEX_BAD_TYPE = -3;        // a record type other than 00 to 05
inline constexpr int HEX_BAD_LENGTH = -4;      // the line's length disagrees with its byte count
inline constexpr int HEX_TOO_MANY_BYTES = -5;  // more than HEX_MAX_DATA_BYTES data bytes
inline constexpr int HEX_BAD_OFFSET = -6;      // a data record not on a 4-byte boundary
inline constexpr int HEX_EMPTY = -7;           // no record line at all
inline constexpr int HEX_READ_FAILED = -8;     // the file could not be read: the caller names it
inline constexpr int HEX_LINE_TOO_LONG = -9;    // a record line longer than HEX_LINE_LIMIT
inline constexpr int HEX_NOT_TEXT = -10;        // no record line, and bytes that are no text
inline constexpr int HEX_NO_END_RECORD = -11;   // the last record is not an end-of-file record
inline constexpr int HEX_AFTER_END = -12;       // a record after the end-of-file record
inline constexpr int HEX_ADDRESS_TWICE = -13;   // data records that write the same address
inline constexpr int HEX_INDENTED = -14;        // a record line with blanks or tabs before its colon
inline constexpr int HEX_NOT_A_DIGIT = -15;     // a character after the colon that is no hex digit
inline constexpr int HEX_WRONG_BYTE_COUNT = -16; // a type 01 to 05 record with other than its byte count

// firmware_update: 0 when every record line was acknowledged, else one of
// these (-3 is not used).
inline constexpr int FIRMWARE_NO_FILE_NAME = -1;
inline constexpr int FIRMWARE_CANNOT_OPEN = -2;           // also: the file cannot be read for its check
inline constexpr int FIRMWARE_FILE_FAULTY = -4;           // inhexverify refused the file
inline constexpr int FIRMWARE_PORT_FAILED = -5;           // open_port failed
inline constexpr int FIRMWARE_NO_PROMPT = -6;             // no ENQ from the loader after power-on
inline constexpr int FIRMWARE_SYNC_WRITE_FAILED = -7;     // also: the port could not be set for it
inline constexpr int FIRMWARE_NOT_SYNCHRONIZED = -8;      // the sync character was not acknowledged
inline constexpr int FIRMWARE_IDENT_WRITE_FAILED = -9;
inline constexpr int FIRMWARE_IDENT_NOT_ACKNOWLEDGED = -10;
inline constexpr int FIRMWARE_LINE_WRITE_FAILED = -11;    // a record line could not be written
inline constexpr int FIRMWARE_TOO_MANY_ERRORS = -12;      // FIRMWARE_MAX_ERRORS answers other than ACK
inline constexpr int FIRMWARE_LOADER_FATAL = -13;         // the loader answered FIRM_FATAL
inline constexpr int FIRMWARE_LOADER_BUFFER_FULL = -14;   // the loader answered FIRM_BUFFER_FULL
inline constexpr int FIRMWARE_CANNOT_REREAD = -15;        // the file cannot be read again for sending
inline constexpr int FIRMWARE_FILE_CHANGED = -16;         // the file differs from what was checked
inline constexpr int FIRMWARE_CANCELLED = -17;            // Ctrl-C
inline constexpr int FIRMWARE_OUT_OF_STEP = -18;          // a byte that answers no line awaited
inline constexpr int FIRMWARE_ANSWERED_AFTER_END = -19;   // bytes after the last line's answer
