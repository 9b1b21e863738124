// Captures what the code under test prints on standard output.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        testing::internal::CaptureStdout();
    }
    ~StdoutCapture() {
        if (!taken_) testing::internal::GetCapturedStdout();
    }
    // Ends the capture and returns what was printed.
    std::string text() {
        std::fflush(stdout);
        taken_ = true;
        return testing::internal::GetCapturedStdout();
    }

private:
    bool taken_ = false;
};

// Feeds the console a given input for the lifetime of the object.
class ConsoleInput {
public:
    explicit ConsoleInput(const std::string& text);
    ~ConsoleInput();

private:
    std::FILE* previous_;
    std::FILE* stream_;
};
