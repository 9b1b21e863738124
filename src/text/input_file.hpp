// Opening one of the operator's input files: the Configuration file, the
// Rules file and the firmware file.
#pragma once

#include <cstdio>

#include "text/sink.hpp"

// An input file open for reading, closed when it goes. A name that is not a
// readable regular file (a folder, a FIFO, a device such as /dev/zero) is not
// opened, and the open never blocks, so a FIFO is refused at once. The file is
// read in binary mode: the readers handle CR LF line ends themselves, and on
// Windows a Ctrl-Z byte does not end the file early.
class InputFile {
public:
    explicit InputFile(const char* path);
    // The same, and when the file cannot be opened says so on `report`:
    // "Error: cannot open <path>", the one text of all three files.
    InputFile(const char* path, Sink& report);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    explicit operator bool() const { return file_ != nullptr; }
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_ = nullptr;
};
