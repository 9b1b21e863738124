// The angle notations: accepted texts with their values, and every refused
// text with its one message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "angles/angles.hpp"
#include "support/run_program.hpp"
#include "text/sink.hpp"

namespace {

struct Accepted {
    std::string text;
    double degrees;
    double tolerance;
};

// An accepted text gives its value and prints nothing; `label` names the case.
void expect_accepted(const Accepted& c, const std::string& label) {
    StringSink out;
    const double got = dmctodeg(c.text.c_str(), out);
    EXPECT_EQ(out.text(), "") << label;
    EXPECT_NEAR(got, c.degrees, c.tolerance) << label;
}

TEST(Dmctodeg, AcceptsEachNotation) {
    const Accepted cases[] = {
        // Colon
        {"45:22:33", 45.375833, 1e-6},
        {"-103:00:00", -103.0, 0},
        {"-38:33:29.222", -38.558117, 1e-6},
        {"45:18:", 45.3, 1e-12},
        {"  45:30:00", 45.5, 0},          // leading blanks before the degrees
        {"45:30:00 ", 45.5, 0},           // the seconds' reading ends at the blank
        {"45:22:33\n", 45.375833, 1e-6},  // a newline ends the text
        // Dotted
        {"45.22.64", 45.377333, 1e-6},
        {"-103.00.", -103.0, 0},
        {"-38.33.379", -38.55632, 1e-5},
        {"45.30.", 45.5, 0},
        // DMC
        {"N 39d 23.7m 33.9c", 39.404417, 1e-5},
        {"39d23.7m33.9C", 39.404417, 1e-5},
        {"n39.395d 33.9c", 39.404417, 1e-5},
        {"39.404415D", 39.404415, 1e-6},
        {"S10d30m", -10.5, 0},
        {"30m10d", 10.5, 0},
        {"-42.5d", -42.5, 0},
        {"-10d30m", -10.5, 0},
        {"W105d2m38c", -105.043889, 1e-6},
        {"105d2m38cW", -105.043889, 1e-6},
        {"N10dE", 10.0, 0},
        {"n10d", 10.0, 0},
        {"e10d", 10.0, 0},
        {"+10d", 10.0, 0},
        {"10d 59.99m", 10.999833, 1e-6},
        {"360d", 360.0, 0},
        {"-360d", -360.0, 0},
        {"359d59m59c", 359.999722, 1e-6},
        {"30m", 0.5, 0},
        {"\t12d\t30m", 12.5, 0},
        {"10d\n", 10.0, 0},
        {"-0:00:00", 0.0, 0},
    };
    for (const auto& c : cases) expect_accepted(c, c.text);
}

// A minus sign or a south/west letter makes the value negative even when the
// degrees part is 0; a minus sign on the minutes or seconds makes the whole
// value negative, with the magnitude |D| + |M|/60 + |S|/3600.
TEST(Dmctodeg, MinusSignsAndSouthWestAlwaysGiveNegativeValues) {
    const Accepted cases[] = {
        {"-0:30:00", -0.5, 0},
        {"-00.30.", -0.5, 0},
        {"-0d30m", -0.5, 0},
        {"S0d30m", -0.5, 0},
        {"w0d30m", -0.5, 0},
        {"30mS", -0.5, 0},
        {"10d -30m", -10.5, 0},
        {"0d -30m", -0.5, 0},
        {"10d 30m -36c", -10.51, 1e-12},
        {"-30m", -0.5, 0},
        {"0:-30:00", -0.5, 0},
        {"10:30:-36", -10.51, 1e-12},
        {"10.-30.", -10.5, 0},
        {"-:30:00", -0.5, 0},
    };
    for (const auto& c : cases) expect_accepted(c, c.text);
}

TEST(Dmctodeg, ZeroIsNeverNegative) {
    StringSink out;
    EXPECT_FALSE(std::signbit(dmctodeg("-0:00:00", out)));
    EXPECT_FALSE(std::signbit(dmctodeg("S0d", out)));
}

// The parts are single-precision working values; the combination is done in
// double precision with the constants 1/3600 and 1/60.
TEST(Dmctodeg, WorksWithSinglePrecisionParts) {
    const double sec = 0.0002777777777777778;
    const double min = 0.016666666666666666;
    StringSink out;
    EXPECT_EQ(dmctodeg("39.404415D", out), static_cast<double>(39.404415f));
    EXPECT_EQ(dmctodeg("-38:33:29.222", out), -38.0 - (static_cast<double>(29.222f) * sec + 33.0 * min));
    EXPECT_EQ(dmctodeg("45.22.64", out), 45.0 + static_cast<double>(22.64f) * min);
    EXPECT_EQ(dmctodeg("N 39d 23.7m 33.9c", out),
              39.0 + (static_cast<double>(33.9f) * sec + static_cast<double>(23.7f) * min));
    EXPECT_EQ(dmctodeg("10d 30m -36c", out), -(10.0 + (36.0 * sec + 30.0 * min)));
}

// A DMC part's text of any length is converted whole.
TEST(Dmctodeg, ConvertsLongPartsWhole) {
    const std::string blanks(40, ' ');
    const std::string zeros(60, '0');
    const std::string fraction = "12." + std::string(200, '5');
    const Accepted cases[] = {
        {blanks + "12.5d", 12.5, 0},
        {zeros + "12.5d", 12.5, 0},
        {fraction + "d", 12.555555555555, 1e-6},
        {"10d" + blanks + "30m", 10.5, 0},
        {"10d" + zeros + "30m", 10.5, 0},
        {"1d" + zeros + "30c", 1.0083333, 1e-6},
    };
    for (const auto& c : cases) expect_accepted(c, std::to_string(c.text.size()));
}

struct Refused {
    std::string text;
    std::string message;
};

TEST(Dmctodeg, RefusesWithOneMessage) {
    const Refused cases[] = {
        {"", "dmctodeg: Error: invalid param inp\n"},
        {"--10d", "\a\aError: too man minus signs: 2: only one is allowed\n"},
        {"-1:-2:-3", "\a\aError: too man minus signs: 3: only one is allowed\n"},
        {"-1.-2.", "\a\aError: too man minus signs: 2: only one is allowed\n"},
        {"39:30", "\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"},
        {"1:2:3:4", "\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"},
        {"1:2:3:4x", "\a\aError: Colon format: must have 2 colons: [s][D]DD:MM:SS[.F*]\n"},
        {"1:2:3.4.5", "\a\aError: Colon format: too many periods: [s][D]DD:MM:SS[.F*]\n"},
        {"1.5:2:3.4x", "\a\aError: Colon format: too many periods: [s][D]DD:MM:SS[.F*]\n"},
        {"1:2:3x", "\a\aError: Colon format: has alpha characters: [s][D]DD:MM:SS[.F*]\n"},
        {"N45:30:00", "\a\aError: Colon format: has alpha characters: [s][D]DD:MM:SS[.F*]\n"},
        {"45x",
         "\a\aError: DMC format must have at least one of [DdMmCc] identifiers\n"
         "\tor Dotted format: found illegal character: [s][D]DD.MM.[F*]\n"},
        {"N45.30.",
         "\a\aError: DMC format must have at least one of [DdMmCc] identifiers\n"
         "\tor Dotted format: found illegal character: [s][D]DD.MM.[F*]\n"},
        {"-N10d", "\a\aError: DMC format: both minus (-) and direction char N cannot be specified\n"},
        {"-10dS", "\a\aError: DMC format: both minus (-) and direction char S cannot be specified\n"},
        {"w-10d", "\a\aError: DMC format: both minus (-) and direction char w cannot be specified\n"},
        {"s-10de", "\a\aError: DMC format: both minus (-) and direction char e cannot be specified\n"},
        {"N10dS10d", "\a\aError: DMC format: both direction chars N and S cannot be specified\n"},
        {"s10dE", "\a\aError: DMC format: both direction chars E and s cannot be specified\n"},
        {"W10dn5me", "\a\aError: DMC format: both direction chars n and W cannot be specified\n"},
        {"45", "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n"},
        {"-", "\a\aError: Unrecognized format: must be one of Dotted, Colon or DMC\n"},
        {"45.5",
         "\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
         "\tor DMC format must have at least one of [DdMmCc] identifiers\n"},
        {"39.404415",
         "\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
         "\tor DMC format must have at least one of [DdMmCc] identifiers\n"},
        {"1.2.3.4",
         "\a\aError: Dotted format: must have 2 periods: [s][D]DD.MM.[F*]\n"
         "\tor DMC format must have at least one of [DdMmCc] identifiers\n"},
        {"10d20d", "\a\aError: DMC format: already have degrees (10.000000)\n"},
        {"0d5m0d", "\a\aError: DMC format: already have degrees (0.000000)\n"},
        {"5m 6.5m", "\a\aError: DMC format: already have minutes (5.000000)\n"},
        {"1.25c2C", "\a\aError: DMC format: already have seconds (1.250000)\n"},
        {"10d!", "\a\aError: DMC format: invalid char: ! (0x21)\n"},
        {"10d,30m", "\a\aError: DMC format: invalid char: , (0x2c)\n"},
        {"10x5d", "\a\aError: DMC format: invalid char: x (0x78)\n"},
        {"10d\xc3", "\a\aError: DMC format: invalid char: \xc3 (0xc3)\n"},
        {"39d 23.7m ", "\a\aInternal Error: pointer mismatch\n"},
        {"39d30", "\a\aInternal Error: pointer mismatch\n"},
        {"N 39d 5", "\a\aInternal Error: pointer mismatch\n"},
        {"10d 60m", "\a\aError: min 60.000000 is out of range [0..59.99]\n"},
        {"10d -60m", "\a\aError: min -60.000000 is out of range [0..59.99]\n"},
        {"10:60:00", "\a\aError: min 60.000000 is out of range [0..59.99]\n"},
        {"10.60.", "\a\aError: min 60.000000 is out of range [0..59.99]\n"},
        {"10.59.9999999", "\a\aError: min 60.000000 is out of range [0..59.99]\n"},  // 59.9999999f is 60
        {"10:00:60", "\a\aError: sec 60.000000 is out of range [0..59.99]\n"},
        {"10:00:-60.5", "\a\aError: sec -60.500000 is out of range [0..59.99]\n"},
        {"10:75:60", "\a\aError: sec 60.000000 is out of range [0..59.99]\n"},  // seconds first
        {"90c 90m", "\a\aError: sec 90.000000 is out of range [0..59.99]\n"},
    };
    for (const auto& c : cases) {
        StringSink out;
        const double got = dmctodeg(c.text.c_str(), out);
        EXPECT_EQ(visible(out.text()), visible(c.message)) << c.text;
        EXPECT_EQ(got, ANGLE_ERROR) << c.text;
    }
}

TEST(Dmctodeg, RefusesAMissingText) {
    StringSink out;
    EXPECT_EQ(dmctodeg(nullptr, out), ANGLE_ERROR);
    EXPECT_EQ(out.text(), "dmctodeg: Error: invalid param inp\n");
}

// Beyond 360 degrees in magnitude: one line that begins with two BELs and
// gives the result. The bounds themselves are valid.
TEST(Dmctodeg, RefusesMoreThan360Degrees) {
    const Refused cases[] = {
        {"360.5d", "360.500000"},
        {"-360.5d", "-360.500000"},
        {"360d 0.01c", "360.000003"},
        {"-361:00:00", "-361.000000"},
        {"400.00.", "400.000000"},
        {"359d 60.5m", ""},  // minutes first: its own message
        {std::string(60, '9') + "d", "inf"},
        {std::string(30, '9') + ":00:00", "1000000015047466219876688855040.000000"},  // 1e30f
    };
    for (const auto& c : cases) {
        StringSink out;
        EXPECT_EQ(dmctodeg(c.text.c_str(), out), ANGLE_ERROR) << c.text;
        const std::string text = out.text();
        EXPECT_EQ(text.rfind("\a\aError: ", 0), 0u) << visible(text);
        EXPECT_EQ(text.find('\n'), text.size() - 1) << visible(text);
        EXPECT_NE(text.find(c.message), std::string::npos) << visible(text);
    }
}

TEST(Dmctodeg, FailureValueIsTheLargestSingle) {
    EXPECT_EQ(ANGLE_ERROR, 3.4028234663852886e+38);
    const float f = static_cast<float>(ANGLE_ERROR);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    EXPECT_EQ(bits, 0x7F7FFFFFu);
}

}  // namespace
