// The download packet protocol: a 16-bit big-endian length, the payload and a
// big-endian CRC-16, sent stop-and-wait. The device answers every packet with
// one byte, ACK to accept it or NAK to have the same bytes sent again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "download/answer_matching.hpp"
#include "download/download_codes.hpp"
#include "text/sink.hpp"

class SerialPort;

inline constexpr uint8_t DWN_ACK = 0x06;
inline constexpr uint8_t DWN_NAK = 0x15;

inline constexpr int DWN_FRAME_BYTES = 4;          // the length and CRC fields
inline constexpr int DWN_MIN_PACKET = 5;           // one payload byte
inline constexpr int DWN_MAX_DATA = 60;            // payload bytes of a data packet
inline constexpr int DWN_MAX_TRANSMISSIONS = 5;    // a packet goes out at most this often
// The device answers within this time of a packet's last byte; silence for
// this long means the packet was lost, and the download fails.
inline constexpr int DWN_ANSWER_TIMEOUT_MS = 5000;

// A data packet at its largest. The CRC follows the payload directly, so in a
// shorter packet it stands at offsets length - 2 and length - 1.
#pragma pack(push, 1)
struct DwnPacket {
    uint8_t length[2];                     // big-endian, counts the whole packet
    uint8_t payload[DWN_MAX_DATA];
    uint8_t crc[2];                        // big-endian
};
#pragma pack(pop)
static_assert(sizeof(DwnPacket) == DWN_MAX_DATA + DWN_FRAME_BYTES);
static_assert(offsetof(DwnPacket, payload) == 2);

// Writes the length and CRC fields into the caller's packet of `len` bytes
// (payload at offsets 2 to len - 3), sends it on the named port and waits
// for the answer. Returns len once acknowledged, or a DWN_PKT_* code, or
// DWN_STRAY_BYTES when bytes no packet asked for were found.
int dwn_write_pkt(SerialPort& port, uint8_t* pp, int len, DwnAnswers& answers, Sink& out);

// Sends `len` bytes of `bp` as data packets of at most 60 payload bytes, in
// order. Returns len, or a DWN_FILE_* code.
int dwn_write_file(SerialPort& port, const uint8_t* bp, int len, DwnAnswers& answers, Sink& out);
