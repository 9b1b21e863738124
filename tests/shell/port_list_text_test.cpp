// korrimatic --list-ports on Linux: the COM number each port answers to, as
// the KORRIMATIC_COMn variables and the /dev/ttyS<n-1> rule give it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/port_list_text.hpp"
#include "support/scratch_dir.hpp"

namespace {

TEST(PortList, EachPortWithItsComNumberThenTheMappings) {
    ScratchDir scratch;
    const std::string adapter = scratch.path("ttyUSB0");
    const std::string stable = scratch.path("usb-FTDI-if00");
    std::filesystem::create_directories(adapter);
    std::filesystem::create_symlink(adapter, stable);
    std::filesystem::create_symlink(scratch.path("unplugged"), scratch.path("dangling"));
    const std::vector<PortEntry> ports = {{stable, "-> " + adapter}, {adapter, ""}, {"/dev/ttyS0", "UART 16550A"},
                                          {"/dev/ttyS2", "UART"}, {"/dev/ttyS19", "UART"},
                                          {"/dev/ttyS20", "UART"}};
    struct Case {
        const char* what;
        std::vector<ComMapping> mappings;
        std::string text;
    } cases[] = {
        {"no variables: only the UARTs have numbers", {},
         stable + "  -> " + adapter + "\n" + adapter + "\n/dev/ttyS0  COM1  UART 16550A\n/dev/ttyS2  COM3  UART\n"
                                                      "/dev/ttyS19  COM20  UART\n/dev/ttyS20  UART\n"},
        {"a variable names the adapter and takes COM3 from ttyS2", {{3, adapter}},
         stable + "  COM3  -> " + adapter + "\n" + adapter + "  COM3\n/dev/ttyS0  COM1  UART 16550A\n"
             "/dev/ttyS2  UART\n/dev/ttyS19  COM20  UART\n/dev/ttyS20  UART\nCOM ports mapped by the environment:\n  COM3 is " + adapter +
             " (KORRIMATIC_COM3)\n"},
        {"a variable names a link to ttyS0", {{7, stable}, {1, scratch.path("gone")}},
         stable + "  COM7  -> " + adapter + "\n" + adapter + "  COM7\n/dev/ttyS0  UART 16550A\n"
             "/dev/ttyS2  COM3  UART\n/dev/ttyS19  COM20  UART\n/dev/ttyS20  UART\nCOM ports mapped by the environment:\n  COM7 is " + stable +
             " (KORRIMATIC_COM7)\n  COM1 is " + scratch.path("gone") + " (KORRIMATIC_COM1), not present\n"},
        {"a variable names a dangling link", {{5, scratch.path("dangling")}},
         stable + "  -> " + adapter + "\n" + adapter + "\n/dev/ttyS0  COM1  UART 16550A\n/dev/ttyS2  COM3  UART\n"
             "/dev/ttyS19  COM20  UART\n/dev/ttyS20  UART\nCOM ports mapped by the environment:\n  COM5 is " +
             scratch.path("dangling") + " (KORRIMATIC_COM5), not present\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(port_list_text(ports, c.mappings), c.text) << c.what;
}

}  // namespace
