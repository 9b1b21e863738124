// The order of the port names: the numbers in them count.
#include "serial/port_list.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch_dir.hpp"

namespace {

TEST(PortNames, NaturalOrder) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    } cases[] = {
        {"ttyS2", "ttyS10", true},   {"ttyS10", "ttyS2", false}, {"ttyS1", "ttyS1", false},
        {"ttyS", "ttyS0", true},     {"ttyS0", "ttyS", false},   {"ttyACM0", "ttyUSB0", true},
        {"ttyUSB9", "ttyUSB09", true}, {"usb-2-if00", "usb-10-if00", true},
    };
    for (const Case& c : cases) EXPECT_EQ(natural_less(c.a, c.b), c.less) << c.a << " < " << c.b;
}

#ifndef _WIN32
// The list read from a made-up device folder: the stable names with their
// targets, the adapters in natural order, and only the ttyS devices that are
// real UARTs (16550A here; type 0, or no type and no driver, is no port).
TEST(PortList, ReadsTheDeviceFoldersInOrder) {
    namespace fs = std::filesystem;
    ScratchDir root;
    const std::string dev = root.path("dev"), sys = root.path("sys");
    fs::create_directories(dev + "/serial/by-id");
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS2", "console", "ttyx"})
        std::ofstream(dev + "/" + name).put('\n');
    fs::create_symlink("../../ttyUSB2", dev + "/serial/by-id/usb-Adapter-if00");
    for (const auto& [name, type] : {std::pair{"ttyS0", "4\n"}, {"ttyS1", "0\n"}}) {
        fs::create_directories(sys + "/" + name);
        std::ofstream(sys + "/" + name + "/type") << type;
    }
    const auto open_files = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
    };
    const auto before = open_files();
    std::string listed;
    for (const PortEntry& p : list_serial_ports_under(dev, sys)) listed += p.name + " [" + p.detail + "]\n";
    EXPECT_EQ(open_files(), before);  // every folder read is closed again
    const std::string target = fs::canonical(dev + "/ttyUSB2").string();
    EXPECT_EQ(listed, dev + "/serial/by-id/usb-Adapter-if00 [-> " + target + "]\n" +  //
                          dev + "/ttyUSB2 []\n" + dev + "/ttyUSB10 []\n" + dev + "/ttyACM0 []\n" +
                          dev + "/ttyS0 [UART 16550A]\n");
    EXPECT_TRUE(list_serial_ports_under(root.path("none"), sys).empty());
}
#endif

}  // namespace
