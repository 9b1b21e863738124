// Reading the operator's text files line by line, the same way for the
// Configuration file, the Rules file and the firmware file: a line feed ends a
// line, and so does a carriage return with a line feed (a file written on
// Windows reads as one written on Linux) or a carriage return that ends the
// file; any other carriage return stays in the line. A line longer than the reader's limit comes in pieces of that many
// characters, each handled and numbered as a line of its own.
#pragma once

#include <cstddef>
#include <cstdio>

// The longest line of the operator's files and of the command line, in
// characters; a buffer for one holds them and a NUL.
inline constexpr std::size_t LINE_LENGTH_MAX = 255;
inline constexpr std::size_t LINE_BUFFER_SIZE = LINE_LENGTH_MAX + 1;

enum class LineRead { line, end, error };

// What becomes of a line end that directly follows a full piece.
enum class EndAfterFullPiece {
    separate,  // it is read as an empty line of its own
    belongs,   // it ends the piece
};

class LineReader {
public:
    LineReader(std::FILE* file, std::size_t limit, EndAfterFullPiece end_after_full_piece)
        : file_(file), limit_(limit), end_after_full_piece_(end_after_full_piece) {}

    // Reads the next line, without its line end, into `buffer`, which holds
    // limit + 1 bytes (the line and a NUL). `end` when nothing at all was
    // left, `error` when the file cannot be read.
    LineRead read(char* buffer);

    // The length of the line last read, NUL bytes in it included.
    std::size_t length() const { return length_; }

private:
    std::FILE* file_;
    std::size_t limit_;
    EndAfterFullPiece end_after_full_piece_;
    std::size_t length_ = 0;
};
