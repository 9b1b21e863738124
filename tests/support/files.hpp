// Reading and writing whole files, in binary, for the tests and the
// benchmarks.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

// The file's bytes, or "" when it cannot be read.
inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `text` as the whole file; false when it could not be written.
inline bool write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}
