// Screenshots read back with libpng come out as the surface was.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/graphics/canvas.h"

namespace plat {
namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("velloran_png_") + std::to_string(::getpid()) + "_" + name))
        .string();
}

TEST(WritePng, RoundTripKeepsEveryPixel) {
    Surface s(5, 3);  // odd width: rows are not a multiple of four bytes
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            s.SetPixel(x, y, Rgb(x * 50, y * 100, 255 - x * 7));
        }
    }
    const std::string path = TempPath("roundtrip.png");
    ASSERT_TRUE(WritePng(s, path));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 3u);
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = rgb.data() + (y * 5 + x) * 3;
            EXPECT_EQ(Rgb(p[0], p[1], p[2]), s.Pixel(x, y)) << x << "," << y;
        }
    }
    std::remove(path.c_str());
}

TEST(WritePng, FailsForEmptySurfacesAndUnwritablePaths) {
    EXPECT_FALSE(WritePng(Surface(), TempPath("empty.png")));
    EXPECT_FALSE(std::filesystem::exists(TempPath("empty.png")));
    EXPECT_FALSE(WritePng(Surface(2, 2), "/nonexistent-dir/velloran/shot.png"));
}

}  // namespace
}  // namespace plat
