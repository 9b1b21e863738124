// korrimatic --list-ports on Linux: the COM number each port answers to, as
// the KORRIMATIC_COMn variables and the /dev/ttyS<n-1> rule give it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "serial/com_numbers.hpp"
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

// Every KORRIMATIC_COMn from COM1 to COM20 that names a path, in number order.
TEST(PortList, TheMappingsInForce) {
    const char* const names[] = {"KORRIMATIC_COM1", "KORRIMATIC_COM2", "KORRIMATIC_COM20", "KORRIMATIC_COM21"};
    const char* const values[] = {"/tmp/one", "", "/tmp/twenty", "/tmp/beyond"};
    for (int i = 0; i < 4; ++i) setenv(names[i], values[i], 1);
    const std::vector<ComMapping> found = com_mappings_in_force();
    for (const char* name : names) unsetenv(name);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].number, 1);
    EXPECT_EQ(found[0].path, "/tmp/one");
    EXPECT_EQ(found[1].number, 20);
    EXPECT_EQ(found[1].path, "/tmp/twenty");
}

}  // namespace
