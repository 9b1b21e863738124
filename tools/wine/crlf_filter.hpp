// Turns the CR LF line ends of a Windows program's text-mode output back into
// LF, byte stream by byte stream: a CR is held until the next byte shows
// whether it ends a line, and a lone CR passes unchanged.
#pragma once

#include <cstddef>
#include <string>

class CrLfFilter {
public:
    // The output for the next piece of input; a CR at its end is held back.
    std::string feed(const char* data, std::size_t size) {
        std::string out;
        out.reserve(size + 1);
        for (std::size_t i = 0; i < size; ++i) {
            const char c = data[i];
            if (held_cr_) {
                held_cr_ = false;
                if (c != '\n') out += '\r';
            }
            if (c == '\r') held_cr_ = true;
            else out += c;
        }
        return out;
    }
    // At the end of the input: the held CR, if any.
    std::string finish() {
        const bool cr = held_cr_;
        held_cr_ = false;
        return cr ? std::string("\r") : std::string();
    }

private:
    bool held_cr_ = false;
};
