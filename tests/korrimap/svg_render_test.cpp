// The SVG map rendered by headless Chromium and compared, pixel by pixel with
// a tolerance, with the golden picture data/render.png. With
// KORRIMAP_UPDATE_GOLDEN=1 in the environment the test writes the golden
// picture instead (look at it before committing it).
#include <png.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "korrimap/korrimap_run.hpp"
#include "support/scratch_dir.hpp"

namespace {

std::string find_chromium() {
    std::stringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
    for (std::string dir; std::getline(path, dir, ':');)
        if (access((dir + "/chromium").c_str(), X_OK) == 0) return dir + "/chromium";
    return "";
}

struct Picture {
    unsigned width = 0, height = 0;
    std::vector<png_byte> rgba;
};

Picture decode(const std::string& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture p;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return p;
    image.format = PNG_FORMAT_RGBA;
    p.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgba.data(), 0, nullptr)) return {};
    p.width = image.width, p.height = image.height;
    return p;
}

TEST(SvgRender, MatchesTheGoldenPicture) {
    const std::string chromium = find_chromium();
    if (chromium.empty())
        GTEST_SKIP() << "chromium is not installed (apt-get install chromium): the SVG is not rendered";
    ScratchDir dir;
    ASSERT_EQ(
        run_korrimap({korrimap_data("render.cfg"), korrimap_data("render.rul"), "-o", dir.path("render")}).exit_status,
        0);
    std::ifstream svg_file(dir.path("render.svg"));
    std::string svg((std::istreambuf_iterator<char>(svg_file)), std::istreambuf_iterator<char>());
    std::smatch size;
    ASSERT_TRUE(std::regex_search(svg, size, std::regex("<svg [^>]*width=\"(\\d+)\" height=\"(\\d+)\"")));

    std::filesystem::create_directory(dir.path("profile"));
    const ProgramResult shot =
        run_program(chromium,
                    {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + dir.path("profile"), "--screenshot=" + dir.path("render.png"),
                     "--window-size=" + size[1].str() + "," + size[2].str(), "file://" + dir.path("render.svg")},
                    "");
    ASSERT_EQ(shot.exit_status, 0) << shot.err;
    const std::string golden = korrimap_data("render.png");
    if (std::getenv("KORRIMAP_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::copy_file(dir.path("render.png"), golden, std::filesystem::copy_options::overwrite_existing);
        GTEST_SKIP() << "wrote " << golden;
    }

    const Picture got = decode(dir.path("render.png")), want = decode(golden);
    ASSERT_GT(want.width, 0u) << "cannot read " << golden;
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    // A pixel differs when one of its channels is off by more than a quarter;
    // anti-aliasing and font hinting move a few, a misdrawn area thousands.
    std::size_t differing = 0;
    for (std::size_t i = 0; i < got.rgba.size(); i += 4) {
        int most = 0;
        for (std::size_t c = 0; c < 4; ++c) most = std::max(most, std::abs(got.rgba[i + c] - want.rgba[i + c]));
        differing += most > 64;
    }
    const std::size_t allowed = got.rgba.size() / 4 / 200;  // 0.5 %
    if (differing > allowed) {
        const auto kept = std::filesystem::temp_directory_path() / "korrimap-render.png";
        std::filesystem::copy_file(dir.path("render.png"), kept, std::filesystem::copy_options::overwrite_existing);
        ADD_FAILURE() << differing << " pixels differ (at most " << allowed << " may); the rendering is kept in "
                      << kept;
    }
}

}  // namespace
