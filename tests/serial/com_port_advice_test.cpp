// The advice added to a failed open of a Windows COM port, and the COM ports
// picked out of the system's list of device names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/com_port_advice.hpp"

namespace {

using Ports = std::vector<std::string>;

TEST(ComPortAdvice, PortsOfTheDeviceNameList) {
    struct Case {
        std::string names;  // NUL-separated, as QueryDosDevice gives them
        Ports ports;
    } cases[] = {
        {std::string("C:\0COM3\0PhysicalDrive0\0COM10\0com1\0\0", 36), {"COM1", "COM3", "COM10"}},
        {std::string("COM4\0COM4\0COM04\0", 16), {"COM4"}},
        {std::string("COM\0COM0\0COMX\0COM3A\0LPT1\0CON\0", 29), {}},
        {std::string("COM7", 4), {"COM7"}},  // the last name without its NUL
    };
    for (const Case& c : cases) {
        EXPECT_EQ(com_ports_in(c.names.data(), c.names.size()), c.ports);
    }
}

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
