// The table of rates a serial port can be set to.
#include <gtest/gtest.h>

#include <climits>

#include "serial/baud_table.hpp"
#include "text/sink.hpp"

namespace {

TEST(BaudTable, HoldsThirteenRatesInSearchOrderEndedByZero) {
    const int32_t rates[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 0};
    for (std::size_t i = 0; i < std::size(rates); ++i) EXPECT_EQ(baud_table[i], rates[i]) << i;
}

TEST(BaudTable, GetBaudFindsEveryEntryOfTheTable) {
    for (const int32_t* p = baud_table; *p != 0; ++p) {
        StringSink out;
        EXPECT_EQ(get_baud(*p, out), p) << *p;  // the table's own entry
        EXPECT_EQ(out.text(), "");
    }
}

TEST(BaudTable, GetBaudGivesNoneSilentlyForOtherRates) {
    for (int32_t rate : {128000, 230400, 9601, 1, -9600, -1, INT32_MIN, INT32_MAX}) {
        StringSink out;
        EXPECT_EQ(get_baud(rate, out), nullptr) << rate;
        EXPECT_EQ(out.text(), "") << rate;
    }
}

TEST(BaudTable, GetBaudReportsZero) {
    StringSink out;
    EXPECT_EQ(get_baud(0, out), nullptr);
    EXPECT_EQ(out.text(), "get_baud: Error: invalid baud: 0\n");
}

}  // namespace
