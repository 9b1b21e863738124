// A device console for the handshake tests over the in-memory driver: it
// powers on a given time after the host opens the port and answers ctrl-C
// and CR as the options say.
#pragma once

#include <string>

#include "support/memory_link.hpp"

struct ScriptedDevice : MemoryDevice {
    std::string stale;                 // arrives 50 ms after the open, during the drain
    bool powers_on = true;
    std::string power_on = "\r\nKorrimatic APRS Digipeater\r\nVersion 2.5\r\n";
    int64_t power_on_ms = 300;         // after the open
    bool answers_attention = true;
    std::string connected = "\r\nConnected 57600\r\nKorrim> ";
    bool answers_cr = true;
    int crs_answered = 1000;           // only the first so many CRs are answered
    int64_t prompt_ms = 5;

    void on_open(MemoryLink& link) override {
        if (!stale.empty()) link.device_send(stale, 50);
        if (powers_on) link.device_send(power_on, power_on_ms);
    }
    void on_host_write(MemoryLink& link, const uint8_t* data, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) {
            if (data[i] == 0x03 && answers_attention) link.device_send(connected, 2);
            if (data[i] == '\r' && answers_cr && crs_answered-- > 0) link.device_send("\r\nKorrim> ", prompt_ms);
        }
    }
};
