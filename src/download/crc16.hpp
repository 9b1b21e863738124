// The CRC-16 that protects every download packet: polynomial 0x1021, most
// significant bit first, no reflection, no final XOR, computed in the
// augmented, table-driven form.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace detail {

constexpr std::array<uint16_t, 256> make_crc16_table() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned reg = i << 8;
        for (int bit = 0; bit < 8; ++bit) reg = (reg & 0x8000) != 0 ? (reg << 1) ^ 0x1021 : reg << 1;
        table[i] = static_cast<uint16_t>(reg & 0xFFFF);
    }
    return table;
}

}  // namespace detail

// Entry i is the register left after shifting i * 256 eight times.
inline constexpr std::array<uint16_t, 256> crc16_table = detail::make_crc16_table();
static_assert(crc16_table[1] == 0x1021 && crc16_table[128] == 0x9188 && crc16_table[255] == 0x1EF0);

// The register a packet's CRC starts from.
inline constexpr uint16_t DWN_CRC_START = 0xFFFF;

// Applies the augmented update to `count` bytes: for each byte b the register
// becomes table[register >> 8] ^ ((register << 8) | b), cut to 16 bits.
uint16_t dwn_crc16(uint16_t reg, const uint8_t* bytes, std::size_t count, const uint16_t* table);
