// A scripted firmware loader on the in-memory serial line: sends its prompt
// after power-on, answers the sync character and the identification, and
// answers each record line from a script (ACK when the script says nothing).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "firmware/firmware_update.hpp"
#include "serial/serial_port.hpp"
#include "support/memory_link.hpp"

class LoaderDevice : public MemoryDevice {
public:
    // Bytes sent this long after the port is opened (the operator's power-on).
    std::vector<uint8_t> prompt{FIRM_ENQ};
    int64_t prompt_delay_ms = 3000;
    std::string stale_text = "old console text";   // waiting when the port opens
    bool answer_sync = true;
    bool answer_ident = true;
    bool fail_writes_after_sync = false;            // the identification cannot be written
    bool fail_writes_after_ident = false;           // no record line can be written
    int64_t answer_delay_ms = 5;
    // Answers to the k-th transmission of the n-th record line (both from 1);
    // 0x00 means no answer at all.
    std::map<int, std::deque<uint8_t>> answers;
    // How late the answers to the k-th transmission of the n-th record line
    // come (ms; answer_delay_ms when the script says nothing).
    std::map<int, std::deque<int64_t>> late;
    // Called when the port opens: after the file's check, before its sending.
    std::function<void()> when_opened;

    std::vector<std::string> lines;   // every record line received, CR included
    int acknowledged = 0;             // record lines answered with ACK

    void on_open(MemoryLink& link) override {
        if (when_opened) when_opened();
        link.device_send(stale_text);
        link.device_send(prompt, prompt_delay_ms);
    }

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        std::string bytes(reinterpret_cast<const char*>(data), count);
        if (bytes == std::string(1, static_cast<char>(FIRMSYNC))) {
            if (answer_sync) link.device_send(std::vector<uint8_t>{FIRM_ACK}, answer_delay_ms);
            if (fail_writes_after_sync) link.fail_write = true;
            return;
        }
        if (bytes == FIRMWARE_IDENT) {
            if (answer_ident) link.device_send(std::vector<uint8_t>{FIRM_ACK}, answer_delay_ms);
            if (fail_writes_after_ident) link.fail_write = true;
            return;
        }
        lines.push_back(bytes);
        // A line sent again after its ACK came too late is the same record line.
        const bool again = acknowledged > 0 && bytes == last_acknowledged_;
        const int number = again ? acknowledged : acknowledged + 1;
        uint8_t answer = FIRM_ACK;
        auto& script = answers[number];
        if (!script.empty()) {
            answer = script.front();
            script.pop_front();
        }
        int64_t delay = answer_delay_ms;
        auto& delays = late[number];
        if (!delays.empty()) {
            delay = delays.front();
            delays.pop_front();
        }
        if (answer == FIRM_ACK && !again) {
            ++acknowledged;
            last_acknowledged_ = bytes;
        }
        if (answer != 0x00) link.device_send(std::vector<uint8_t>{answer}, delay);
    }

private:
    std::string last_acknowledged_;
};

// Puts a MemoryLink with the device in place of the serial driver, and a
// clock in whole seconds of the link's virtual time.
struct LoaderBench {
    LoaderDevice device;
    MemoryLink* link;

    LoaderBench() {
        link = use_memory_link(&device);
        set_firmware_clock([this] { return link->now_ms() / 1000; });
    }
    ~LoaderBench() {
        set_firmware_clock({});
        set_serial_driver(make_platform_driver());
    }
};
