#include "download/command_packet.hpp"

#include <algorithm>
#include <cstring>

#include "download/packet.hpp"

void dwn_make_command(DwnCommandPacket& packet, const char* name, const char* size_text) {
    std::memset(&packet, 0, sizeof packet);
    std::memcpy(packet.name, name, std::min(std::strlen(name), sizeof packet.name - 1));
    if (size_text != nullptr) std::memcpy(packet.size, size_text, std::min(std::strlen(size_text), sizeof packet.size));
}

int dwn_send_command(SerialPort& port, const char* name, const char* size_text, DwnAnswers& answers, Sink& out) {
    DwnCommandPacket packet;
    dwn_make_command(packet, name, size_text);
    return dwn_write_pkt(port, reinterpret_cast<uint8_t*>(&packet), DWN_COMMAND_PACKET_LEN, answers, out);
}
