#include "download/packet.hpp"

#include <algorithm>
#include <cstring>

#include "download/answer_matching.hpp"
#include "download/crc16.hpp"
#include "process/interrupt.hpp"
#include "serial/serial_port.hpp"

int dwn_write_pkt(SerialPort& port, uint8_t* pp, int len, DwnAnswers& answers, Sink& out) {
    if (pp == nullptr) {
        out.printf("dwn_write_pkt: argument ptr pp is null\n");
        return DWN_PKT_NO_BUFFER;
    }
    if (len < DWN_MIN_PACKET) {
        out.printf("dwn_write_pkt: argument len < 5\n");
        return DWN_PKT_TOO_SHORT;
    }
    pp[0] = static_cast<uint8_t>((len >> 8) & 0xFF);
    pp[1] = static_cast<uint8_t>(len & 0xFF);
    pp[len - 2] = 0;
    pp[len - 1] = 0;
    const uint16_t reg = dwn_crc16(DWN_CRC_START, pp, static_cast<std::size_t>(len), crc16_table.data());
    pp[len - 2] = static_cast<uint8_t>(reg >> 8);
    pp[len - 1] = static_cast<uint8_t>(reg & 0xFF);

    int attempts = DWN_MAX_TRANSMISSIONS;
    for (;;) {
        const int stray = dwn_before_transmission(port, answers, out);
        if (stray != 0) return stray;
        if (attempts == DWN_MAX_TRANSMISSIONS) ++answers.packets_begun;
        dwn_transmitting(port, answers, len);
        if (write_port(port, pp, len) <= 0) {
            out.error("writing pkt\n");
            return DWN_PKT_WRITE_FAILED;
        }
        uint8_t answer = 0;
        // The device answers within Q of the packet's last byte, and the
        // packet and its answer take their time on the line first.
        const int wait_ms =
            DWN_ANSWER_TIMEOUT_MS + static_cast<int>(line_time_ms(port_rate(port), static_cast<std::size_t>(len) + 1));
        const int got = read_port(port, &answer, 1, wait_ms);
        if (got != 1 && cancel_requested()) {
            out.error("download cancelled by Ctrl-C\n");
            return DWN_PKT_NO_ANSWER;
        }
        if (got != 1) {
            out.error("reading ack or nak: %d\n", got);
            return DWN_PKT_NO_ANSWER;
        }
        if (const int soon = dwn_answer_taken(port, answers, wait_ms, out); soon != 0) return soon;
        if (answer == DWN_ACK) return len;
        if (answer != DWN_NAK) {
            out.error("reading ack or nak: got 0x%02x\n", static_cast<unsigned>(answer));
            return DWN_PKT_BAD_ANSWER;
        }
        if (--attempts <= 0) return DWN_PKT_REFUSED;
        // NAK: once the line is quiet, the same bytes go out again, length
        // and CRC as they are.
        const int after = dwn_after_nak(port, out);
        if (after != 0) return after;
    }
}

int dwn_write_file(SerialPort& port, const uint8_t* bp, int len, DwnAnswers& answers, Sink& out) {
    if (bp == nullptr) {
        out.printf("dwn_write_file: argument ptr bp is null\n");
        return DWN_FILE_NO_BUFFER;
    }
    if (len < 1) {
        out.printf("dwn_write_file: argument len < 1\n");
        return DWN_FILE_EMPTY;
    }
    int total = 0;
    int remaining = len;
    while (remaining > 0) {
        const int n = std::min(remaining, DWN_MAX_DATA);
        DwnPacket packet{};
        std::memcpy(packet.payload, bp + total, static_cast<std::size_t>(n));
        const int r = dwn_write_pkt(port, reinterpret_cast<uint8_t*>(&packet), n + DWN_FRAME_BYTES, answers, out);
        if (r != n + DWN_FRAME_BYTES) {
            out.error("writing data pkt: %d\n", r);
            return DWN_FILE_PACKET_FAILED;
        }
        remaining -= n;
        total += n;
    }
    return total;
}
