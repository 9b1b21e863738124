// What to tell the operator when a connect fails in a way that has a known
// fix, and what to show when it succeeds (all at a terminal only).
#pragma once

#include <cstdint>
#include <string>

#include "text/sink.hpp"

// The hint for a power-on reply that is nothing but the loader's prompt (a
// device in its firmware loader); empty for any other reply.
std::string power_on_hint(const char* port_name, const uint8_t* reply, int count);
// Offers the hint for a power-on reply without the identification word:
// power_on_hint, or for no reply at all the silent port's.
void offer_power_on_hint(Sink& out, const char* port_name, const void* reply, int count, long rate);

// Offers the hint for a firmware version below the minimum.
void offer_old_firmware_hint(Sink& out, const char* port_name);

// After "Connected at": the device's firmware version, at a terminal.
void show_firmware_version(int major, int minor, Sink& out);
