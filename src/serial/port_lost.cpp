#include "serial/port_lost.hpp"

namespace {

bool g_survivable = false;

}  // namespace

void set_port_loss_survivable(bool survivable) { g_survivable = survivable; }

bool port_loss_survivable() { return g_survivable; }
