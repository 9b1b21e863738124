// The command packets of the download: a 21-byte packet whose payload names
// what follows ("conf", "rules") or ends the transfer ("-cestfini-").
#pragma once

#include <cstddef>
#include <cstdint>

#include "download/answer_matching.hpp"
#include "text/sink.hpp"
class SerialPort;

#pragma pack(push, 1)
struct DwnCommandPacket {
    uint8_t length[2];   // 0x00 0x15, written by dwn_write_pkt
    char name[12];       // ASCII, NUL padded
    char size[5];        // byte count that follows, decimal ASCII, NUL padded
    uint8_t crc[2];      // written by dwn_write_pkt
};
#pragma pack(pop)
static_assert(sizeof(DwnCommandPacket) == 21);
static_assert(offsetof(DwnCommandPacket, name) == 2);
static_assert(offsetof(DwnCommandPacket, size) == 14);
static_assert(offsetof(DwnCommandPacket, crc) == 19);

inline constexpr int DWN_COMMAND_PACKET_LEN = static_cast<int>(sizeof(DwnCommandPacket));

inline constexpr const char* DWN_CONF_NAME = "conf";
inline constexpr const char* DWN_RULES_NAME = "rules";
inline constexpr const char* DWN_FINISH_NAME = "-cestfini-";

// Fills a command packet from 21 zero bytes: the name at offset 2 and, unless
// size_text is null, the size text at offset 14. Names longer than 11 and
// size texts longer than 5 characters are cut so that the fields stay in place.
void dwn_make_command(DwnCommandPacket& packet, const char* name, const char* size_text);

// Builds the command packet and sends it; the dwn_write_pkt result.
int dwn_send_command(SerialPort& port, const char* name, const char* size_text, DwnAnswers& answers, Sink& out);
