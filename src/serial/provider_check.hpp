// The capability checks of a port whose provider keeps a properties record
// (a Windows COM port): can it be set to 8 data bits, no parity, 1 stop bit,
// with timed reads? The Windows driver runs them as steps of its open; they
// need nothing of the platform, so the in-memory driver of the tests runs
// them too.
#pragma once

#include <cstdint>
#include <functional>

#include "serial/serial_driver.hpp"

// What the port's provider says it can do (the settable masks use the
// Windows bit values: SP_*, DATABITS_*, STOPBITS_* | PARITY_*, PCF_*).
struct CommProperties {
    uint16_t packet_length;        // length of the provider's full record
    uint32_t settable_params;      // SP_PARITY 0x01, SP_BAUD 0x02, SP_DATABITS 0x04, SP_STOPBITS 0x08
    uint16_t settable_data;        // DATABITS_8 0x0008
    uint16_t settable_stop_parity; // STOPBITS_10 0x0001, PARITY_NONE 0x0100
    uint32_t provider_capabilities;// PCF_TOTALTIMEOUTS 0x40, PCF_INTTIMEOUTS 0x80
};

// The two properties queries: the first learns the length of the provider's
// record, the second asks for the whole record of that length.
enum class PropertiesQuery { provider_length, full_record };

// Queries the provider's properties with a record of the given length.
using PropertiesReader = std::function<bool(PropertiesQuery query, uint16_t packet_length, CommProperties& props)>;

// Learns the provider's record length, queries the whole record and tests
// that the port can be set to 8N1 with timed reads. True, or false with the
// failing step (and for a capability, the mask the provider reported).
bool check_provider(const PropertiesReader& query, OpenFailure& failure);
