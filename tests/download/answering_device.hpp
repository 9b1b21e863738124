// A device for the download's unit tests: it answers each packet the host
// writes with the next scripted answer (ACK once the script has run out) and
// keeps every packet. The download word itself is noted, not answered.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "download/packet.hpp"
#include "serial/serial_port.hpp"
#include "shell/shell_state.hpp"
#include "support/memory_link.hpp"

inline constexpr int SILENT = -1;  // a scripted answer: say nothing

class AnsweringDevice : public MemoryDevice {
public:
    std::deque<int> answers;
    std::vector<std::vector<uint8_t>> packets;
    int download_words = 0;

    // n ACKs, then the given answers.
    void script(int acks_first, std::vector<int> then) {
        answers.assign(static_cast<std::size_t>(acks_first), DWN_ACK);
        answers.insert(answers.end(), then.begin(), then.end());
    }

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        std::vector<uint8_t> bytes(data, data + count);
        if (std::string(bytes.begin(), bytes.end()) == "download\r\n") {
            ++download_words;
            return;
        }
        packets.push_back(bytes);
        int answer = DWN_ACK;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        if (answer != SILENT) link.device_send(std::vector<uint8_t>{static_cast<uint8_t>(answer)}, 1);
    }
};

// Puts an answering device on an open in-memory port named COM1 of a shell
// state of the test's own.
class DownloadLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        link = use_memory_link(shell.port, &device);
        std::snprintf(shell.port_name, sizeof shell.port_name, "COM1");
        ASSERT_EQ(open_port(shell.port, shell.port_name, 57600), 0);
        shell.connected = 1;
    }
    void TearDown() override { shell.port.set_driver(nullptr); }

    ShellState shell;
    AnsweringDevice device;
    MemoryLink* link = nullptr;
};

inline std::vector<uint8_t> hex_bytes(const char* text) {
    std::vector<uint8_t> out;
    for (const char* p = text; *p != '\0';) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return out;
}
