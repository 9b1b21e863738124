// The binary image the journal names by its hash is the one srec_cat makes
// from the same file.
#include "firmware/hex_image.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.hpp"
#include "support/run_program.hpp"
#include "support/scratch_dir.hpp"

namespace {

TEST(HexImage, EqualsTheSrecCatBinary) {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat is not installed (srecord)";
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"the sample", read_file(std::string(KORRI_SOURCE_DIR) + "/examples/korrimatic-sample.hex")},
        {"a hole before the first byte, CR LF", ":0400100001020304E2\r\n:00000001FF\r\n"},
        {"an extended segment address and a start address",
         ":020000021000EC\n:040000001122334452\n:0400000300001000E9\n:00000001FF\n"},
        {"records out of order with a gap, lines that are no records",
         "; comment\n:0200200055AADF\n:020010001122BB\n:00000001FF\n"},
        {"extended linear address", ":020000040001F9\n:02000400BEEF4D\n:00000001FF\n"},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        const std::string hex = dir.path("in.hex"), bin = dir.path("out.bin");
        std::filesystem::remove(bin);
        ASSERT_TRUE(write_file(hex, c.text));
        const ProgramResult r = run_program("/usr/bin/env", {"srec_cat", hex, "-intel", "-o", bin, "-binary"}, "");
        std::vector<uint8_t> image;
        const bool made = hex_binary_image(c.text, image);
        EXPECT_EQ(made, r.exit_status == 0) << c.name << r.err;
        if (made) { EXPECT_EQ(std::string(image.begin(), image.end()), read_file(bin)) << c.name; }
    }
}

}  // namespace
