#include "firmware/firmware_file_check.hpp"

#include "firmware/hex_verify.hpp"
#include "text/input_file.hpp"

int check_firmware_file(const char* file_name, Sink& out) {
    if (file_name == nullptr) {
        out.printf("firmware: Error: param filename is invalid\n");
        return FIRMWARE_NO_FILE_NAME;
    }
    InputFile file(file_name, out);
    if (!file) return FIRMWARE_CANNOT_OPEN;
    const int total = verify_firmware_file(file.get(), file_name, nullptr, out);
    return total < 0 ? total : 0;
}

int verify_firmware_file(std::FILE* file, const char* file_name, std::vector<std::string>* records, Sink& out) {
    const int total = inhexverify(file, records, out);
    if (total == HEX_READ_FAILED) {
        out.error("cannot read %s\n", file_name);
        return FIRMWARE_CANNOT_OPEN;
    }
    if (total < 1) {
        out.error("Firmware file has some kind of error!\n");
        return FIRMWARE_FILE_FAULTY;
    }
    return total;
}

bool firmware_untouched(int result) {
    // Up to the prompt the port is only read; a sync character that could
    // not be written was not sent.
    switch (result) {
    case FIRMWARE_NO_FILE_NAME:
    case FIRMWARE_CANNOT_OPEN:
    case FIRMWARE_FILE_FAULTY:
    case FIRMWARE_PORT_FAILED:
    case FIRMWARE_NO_PROMPT:
    case FIRMWARE_SYNC_WRITE_FAILED: return true;
    default: return false;
    }
}
