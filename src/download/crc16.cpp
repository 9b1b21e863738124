#include "download/crc16.hpp"

uint16_t dwn_crc16(uint16_t reg, const uint8_t* bytes, std::size_t count, const uint16_t* table) {
    for (std::size_t i = 0; i < count; ++i) {
        reg = static_cast<uint16_t>(table[reg >> 8] ^ static_cast<uint16_t>((reg << 8) | bytes[i]));
    }
    return reg;
}
