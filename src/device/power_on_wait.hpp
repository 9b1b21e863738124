// How long the operator has to switch the device on (or cycle its power):
// the connect handshake and the firmware update wait the same time for it.
#pragma once

inline constexpr int POWER_ON_WAIT_S = 20;
inline constexpr int POWER_ON_WAIT_MS = POWER_ON_WAIT_S * 1000;
