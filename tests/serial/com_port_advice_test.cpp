// The advice added to a failed open of a Windows COM port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/com_port_advice.hpp"

namespace {

using Ports = std::vector<std::string>;

TEST(ComPortAdvice, SaysWhatToDo) {
    const std::string dm = "Device Manager lists each serial adapter with its number under \"Ports (COM & LPT)\"";
    struct Case {
        uint32_t error;
        Ports present;
        std::string advice;
    } cases[] = {
        {WINDOWS_ERROR_ACCESS_DENIED, {},
         " (another program holds the port, such as a terminal program or a second copy of this one; close it and "
         "try again)"},
        {WINDOWS_ERROR_FILE_NOT_FOUND, {"COM1", "COM4"},
         " (there is no such port; COM ports present: COM1 COM4; " + dm + ")"},
        {WINDOWS_ERROR_FILE_NOT_FOUND, {},
         " (there is no such port, and no COM port is present: plug the adapter in; " + dm + ")"},
        {31, {"COM1"}, ""},  // a device that does not work: nothing to add
    };
    for (const Case& c : cases) {
        EXPECT_EQ(com_open_advice(c.error, c.present), c.advice) << c.error;
    }
}

}  // namespace
