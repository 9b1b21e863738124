#include "firmware/hex_image.hpp"

#include <cstring>

#include "text/hex_digit.hpp"

namespace {

// The bytes of a record line after its colon; false when they are not pairs
// of hex digits, disagree with the count or do not sum to 0.
bool record_bytes(const std::string& line, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::size_t end = line.size();
    while (end > 1 && (line[end - 1] == '\r' || line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    if ((end - 1) % 2 != 0) return false;
    uint8_t sum = 0;
    for (std::size_t i = 1; i + 1 < end; i += 2) {
        const int high = hex_digit_value(line[i]), low = hex_digit_value(line[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        sum = static_cast<uint8_t>(sum + bytes.back());
    }
    return bytes.size() >= 5 && bytes[0] + 5u == bytes.size() && sum == 0;
}

}  // namespace

bool hex_binary_image(const std::string& text, std::vector<uint8_t>& image) {
    image.clear();
    uint32_t base = 0;
    std::vector<uint8_t> bytes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] != ':') continue;
        if (!record_bytes(line, bytes)) return false;
        const unsigned count = bytes[0];
        const uint32_t offset = static_cast<uint32_t>(bytes[1]) << 8 | bytes[2];
        const uint8_t* data = bytes.data() + 4;
        switch (bytes[3]) {
        case 0x00: {
            const std::size_t address = static_cast<std::size_t>(base) + offset;
            if (address + count > HEX_IMAGE_LIMIT) return false;
            if (image.size() < address + count) image.resize(address + count, 0);
            std::memcpy(image.data() + address, data, count);
            break;
        }
        case 0x01: return true;
        case 0x02:
            if (count != 2) return false;
            base = (static_cast<uint32_t>(data[0]) << 8 | data[1]) << 4;
            break;
        case 0x04:
            if (count != 2) return false;
            base = (static_cast<uint32_t>(data[0]) << 8 | data[1]) << 16;
            break;
        default: break;  // start addresses: not part of the image
        }
    }
    return true;
}
