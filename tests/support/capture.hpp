// Feeds a console a given input for the lifetime of the object.
#pragma once

#include <cstdio>
#include <string>

struct Console;

class ConsoleInput {
public:
    ConsoleInput(Console& console, const std::string& text);
    ~ConsoleInput();

private:
    Console& console_;
    std::FILE* previous_;
    std::FILE* stream_;
};
