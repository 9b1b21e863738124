// The order of the port names: the numbers in them count.
#include "serial/port_list.hpp"

#include <gtest/gtest.h>

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

}  // namespace
