#include "support/capture.hpp"

#include "shell/console.hpp"

ConsoleInput::ConsoleInput(Console& console, const std::string& text) : console_(console), previous_(console.in) {
    stream_ = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), stream_);
    std::rewind(stream_);
    console_.in = stream_;
}

ConsoleInput::~ConsoleInput() {
    console_.in = previous_;
    std::fclose(stream_);
}
