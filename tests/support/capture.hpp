// Feeds the console a given input for the lifetime of the object.
#pragma once

#include <cstdio>
#include <string>

class ConsoleInput {
public:
    explicit ConsoleInput(const std::string& text);
    ~ConsoleInput();

private:
    std::FILE* previous_;
    std::FILE* stream_;
};
