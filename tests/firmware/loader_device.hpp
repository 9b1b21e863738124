// A scripted firmware loader on the in-memory serial line: sends its prompt
// after power-on, answers the sync character and the identification, and
// answers each record line from a script (ACK when the script says nothing).
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "firmware/firmware_update.hpp"
#include "shell/shell_state.hpp"
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
    std::string after_sync_ack;                     // sent right behind the sync's ACK
    bool fail_writes_after_sync = false;            // the identification cannot be written
    bool fail_writes_after_ident = false;           // no record line can be written
    int64_t answer_delay_ms = 5;
    // Answers to the k-th transmission of the n-th record line (both from 1);
    // 0x00 means no answer at all.
    std::map<int, std::deque<uint8_t>> answers;
    // How late the answers to the k-th transmission of the n-th record line
    // come (ms; answer_delay_ms when the script says nothing).
    std::map<int, std::deque<int64_t>> late;
    // Record lines (numbered as for `answers`) whose answers are sent twice.
    std::set<int> doubled;
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
            if (!after_sync_ack.empty()) link.device_send(after_sync_ack, answer_delay_ms);
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
        if (answer != 0x00 && doubled.count(number) != 0) link.device_send(std::vector<uint8_t>{answer}, delay);
    }

private:
    std::string last_acknowledged_;
};

// Puts a MemoryLink with the device in place of the port's serial driver;
// `clock` counts whole seconds of the link's virtual time, for the update to
// be given.
struct LoaderBench {
    SerialPort& port;
    LoaderDevice device;
    MemoryLink* link;
    FirmwareClock clock;

    explicit LoaderBench(SerialPort& on) : port(on) {
        link = use_memory_link(port, &device);
        clock = [this] { return link->now_ms() / 1000; };
    }
    ~LoaderBench() { port.set_driver(nullptr); }
    LoaderBench(const LoaderBench&) = delete;
    LoaderBench& operator=(const LoaderBench&) = delete;
};

// A loader whose every answer to a record line follows a script, one entry
// per transmission in the order they arrive (the lines after the script are
// answered ACK at once). It holds the record lines it takes, so that a test
// can compare them with the file.
class SequenceLoader : public MemoryDevice {
public:
    enum class Kind {
        ack,      // takes the line, answers ACK
        refuse,   // does not take it, answers `byte` (an error code)
        garbled,  // takes it, but its answer arrives as `byte`
        lost,     // never receives it whole: no answer
        doubled,  // takes it, answers ACK twice
        early,    // takes it, but its ACK went out before it arrived
        added,    // does not take it; the line adds an ACK ahead of its answer `byte`
        late_into_next,  // takes it; its ACK comes after the host's wait, within the next transmission's wire time
        early_in_wire,   // takes it, but its ACK arrives within the line's own time on the wire
    };
    struct Step {
        Kind kind;
        uint8_t byte;
        int64_t latency_ms;  // from the line's last byte reaching the loader
    };
    std::vector<Step> script;
    std::set<std::string> taken;  // record lines held, CR included
    int transmissions = 0;        // record-line transmissions received
    std::size_t consulted = 0;    // script entries that have had their say

    void on_open(MemoryLink& link) override { link.device_send(std::vector<uint8_t>{FIRM_ENQ}, 3000); }

    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        const std::string bytes(reinterpret_cast<const char*>(data), count);
        if (bytes == std::string(1, static_cast<char>(FIRMSYNC))) {
            link.device_answer(std::vector<uint8_t>{FIRM_ACK}, 5);
            return;
        }
        if (bytes == FIRMWARE_IDENT) {
            link.device_answer(std::vector<uint8_t>{FIRM_ACK}, 5);
            answer_next_early(link, 0, 5);
            return;
        }
        // A late ACK held back from the transmission before lands halfway
        // through this one's time on the wire.
        if (late_pending_) {
            late_pending_ = false;
            link.device_send(std::vector<uint8_t>{FIRM_ACK}, link.wire_ms(count) / 2);
        }
        const std::size_t i = static_cast<std::size_t>(transmissions++);
        consulted = std::max(consulted, i + 1);
        const Step step = i < script.size() ? script[i] : Step{Kind::ack, FIRM_ACK, 0};
        if (step.kind != Kind::lost && step.kind != Kind::refuse && step.kind != Kind::added) taken.insert(bytes);
        switch (step.kind) {
        case Kind::ack: link.device_answer(std::vector<uint8_t>{FIRM_ACK}, step.latency_ms); break;
        case Kind::refuse:
        case Kind::garbled: link.device_answer(std::vector<uint8_t>{step.byte}, step.latency_ms); break;
        case Kind::doubled: link.device_answer(std::vector<uint8_t>{FIRM_ACK, FIRM_ACK}, step.latency_ms); break;
        case Kind::added: link.device_answer(std::vector<uint8_t>{FIRM_ACK, step.byte}, step.latency_ms); break;
        case Kind::late_into_next: late_pending_ = true; break;
        case Kind::early_in_wire: link.device_send(std::vector<uint8_t>{FIRM_ACK}, link.wire_ms(count) / 2); break;
        case Kind::lost:
        case Kind::early: break;
        }
        answer_next_early(link, i + 1, step.latency_ms);
    }

private:
    // The ACK of transmission `next` goes out before that line, as long
    // after the transmission before it began as that one's answer would
    // come (a lost one: at once).
    void answer_next_early(MemoryLink& link, std::size_t next, int64_t latency_ms) {
        if (next < script.size()) consulted = std::max(consulted, next + 1);
        if (next < script.size() && script[next].kind == Kind::early) {
            link.device_send(std::vector<uint8_t>{FIRM_ACK}, latency_ms);
        }
    }
    bool late_pending_ = false;
};
