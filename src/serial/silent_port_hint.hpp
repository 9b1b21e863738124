// What to tell the operator when nothing at all came over a port during a
// power-on wait: power, cable, port and rate, and the ports there are.
#pragma once

class Sink;

#include <string>
#include <vector>

// The hint, naming up to six of `ports` (the serial ports present).
std::string silent_port_hint(const char* port_name, long rate, const std::vector<std::string>& ports);

// Offers the hint for the command under way on `out`, with this machine's
// ports, when an operator at a terminal reads it.
void offer_silent_port_hint(Sink& out, const char* port_name, long rate);
