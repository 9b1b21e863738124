#include "support/capture.hpp"

#include "shell/console.hpp"

ConsoleInput::ConsoleInput(const std::string& text) : previous_(console_in) {
    stream_ = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), stream_);
    std::rewind(stream_);
    console_in = stream_;
}

ConsoleInput::~ConsoleInput() {
    console_in = previous_;
    std::fclose(stream_);
}
