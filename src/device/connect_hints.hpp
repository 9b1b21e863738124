// What to tell the operator when a connect fails in a way that has a known
// fix, and what to show when it succeeds (all at a terminal only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The hint for a power-on reply without the identification word: nothing at
// all (a silent device: power, cable, port, rate, and the ports there are),
// or nothing but the loader's prompt (a device in its firmware loader).
// Empty for any other reply. `ports` are the serial ports present.
std::string power_on_hint(const char* port_name, const uint8_t* reply, int count, long rate,
                          const std::vector<std::string>& ports);
// Offers power_on_hint for the command under way, with this machine's ports.
void offer_power_on_hint(const char* port_name, const void* reply, int count, long rate);

// Offers the hint for a firmware version below the minimum.
void offer_old_firmware_hint(const char* port_name);

// After "Connected at": the device's firmware version, at a terminal.
void show_firmware_version(int major, int minor);
