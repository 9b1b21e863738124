#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "download/crc16.hpp"

namespace {

// The plain bit-by-bit form: polynomial 0x1021 over the message only.
uint16_t plain_crc(uint16_t reg, const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        reg ^= static_cast<uint16_t>(bytes[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            reg = static_cast<uint16_t>((reg & 0x8000) != 0 ? (reg << 1) ^ 0x1021 : reg << 1);
    }
    return reg;
}

const uint8_t DIGITS[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST(Crc16, TableHoldsTheShiftedPolynomial) {
    EXPECT_EQ(crc16_table.size(), 256u);
    EXPECT_EQ(crc16_table[0], 0x0000);
    EXPECT_EQ(crc16_table[1], 0x1021);
    EXPECT_EQ(crc16_table[128], 0x9188);
    EXPECT_EQ(crc16_table[255], 0x1EF0);
    for (unsigned i = 0; i < 256; ++i) {
        const uint8_t byte = static_cast<uint8_t>(i);
        EXPECT_EQ(crc16_table[i], plain_crc(0, &byte, 1)) << "entry " << i;
    }
}

TEST(Crc16, PublishedCheckValueInBothForms) {
    EXPECT_EQ(plain_crc(0x1D0F, DIGITS, sizeof DIGITS), 0xE5CC);
    // The augmented form runs over the message and two zero bytes from 0xFFFF.
    std::vector<uint8_t> augmented(DIGITS, DIGITS + sizeof DIGITS);
    augmented.push_back(0);
    augmented.push_back(0);
    EXPECT_EQ(dwn_crc16(0xFFFF, augmented.data(), augmented.size(), crc16_table.data()), 0xE5CC);
}

TEST(Crc16, UpdateIsIncrementalAndEmptyUpdateKeepsTheRegister) {
    EXPECT_EQ(dwn_crc16(0x1234, DIGITS, 0, crc16_table.data()), 0x1234);
    const uint16_t part = dwn_crc16(0xFFFF, DIGITS, 4, crc16_table.data());
    EXPECT_EQ(dwn_crc16(part, DIGITS + 4, 5, crc16_table.data()),
              dwn_crc16(0xFFFF, DIGITS, 9, crc16_table.data()));
}

TEST(Crc16, PacketWithItsCrcChecksToZero) {
    uint8_t packet[] = {0x00, 0x0D, '1', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0};
    const uint16_t crc = dwn_crc16(0xFFFF, packet, sizeof packet, crc16_table.data());
    packet[11] = static_cast<uint8_t>(crc >> 8);
    packet[12] = static_cast<uint8_t>(crc & 0xFF);
    EXPECT_EQ(dwn_crc16(0xFFFF, packet, sizeof packet, crc16_table.data()), 0);
    EXPECT_EQ(crc, plain_crc(0x1D0F, packet, sizeof packet - 2));
    packet[5] ^= 0x01;  // one bit flipped in transit
    EXPECT_NE(dwn_crc16(0xFFFF, packet, sizeof packet, crc16_table.data()), 0);
}

}  // namespace
