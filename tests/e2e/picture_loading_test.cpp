// Pictures as the user meets them, through the headless host: the sizes the memory levels
// give camera JPEGs, covered thumbnails of wide JPEGs, hostile JPEGs, tiled GIFs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/imaging/gif_builder.h"
#include "tests/imaging/jpeg_files.h"
#include "tests/support/headless.h"

using testing_support::Checkpoints;
using testing_support::Json;
using testing_support::Pick;
using testing_support::Png;
using testing_support::ReadPng;
using testing_support::RunHeadless;
using testing_support::SolidBmp;
using testing_support::TempDevice;

namespace {

// A device whose work folder is \Pics, with the memory level given.
struct Device : TempDevice {
    explicit Device(int memoryLevel = 0) {
        SkipSampleInstall();
        MakeFolder("\\Pics");
        UseMemoryLevel(memoryLevel);
    }
    void UseMemoryLevel(int memoryLevel) const {
        WriteSettings({{"MainSection", "WorkDirectory", "\\Pics"},
                       {"MainSection", "OptimizedMemory", memoryLevel}});
    }
};

// A JPEG of one colour (0xRRGGBB).
void WriteSolidJpeg(const std::string& hostPath, int width, int height, uint32_t rgb) {
    imaging::testing::JpegFile jpeg(width, height, 3, 90);
    jpeg.sample = [rgb](int, int, int c) { return static_cast<uint8_t>(rgb >> (16 - 8 * c)); };
    imaging::testing::WriteJpeg(hostPath, jpeg);
}

// Rows of column x between top and bottom whose pixel is red.
int RedRows(const Png& png, int x, int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
        const uint32_t p = png.At(x, y);
        n += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60;
    }
    return n;
}

}  // namespace

TEST(PictureLoading, MemoryLevelsBoundCameraJpegs) {
    Device device;
    WriteSolidJpeg(device.Host("\\Pics\\camera.jpg"), 6000, 4000, 0x808080);
    // Level 0, 1, 2: the file fitted into twice 176 x 220, 352 x 440; at level 2 the
    // decoder's 1/8 (750 x 500) is within twice the box.
    const char* expected[3] = {"352 235 6000", "704 469 6000", "750 500 6000"};
    for (int level = 0; level < 3; ++level) {
        device.UseMemoryLevel(level);
        const auto run = RunHeadless(device, "Enter");
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_EQ(Pick(run.state, "image.width image.height fileList.entries.0.imageWidth"),
                  expected[level])
            << level;
    }
}

TEST(PictureLoading, CoveredThumbnailsOfWideJpegsFillTheirBoxAsBmpsDo) {
    Device device;
    device.MakeFolder("\\Pics\\a folder");  // selected, so neither picture has an outline
    device.WriteFile("\\Pics\\b.bmp", SolidBmp(2000, 300, 255, 0, 0));
    WriteSolidJpeg(device.Host("\\Pics\\c.jpg"), 2000, 300, 0xFF0000);
    const auto run = RunHeadless(device, "", true);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_TRUE(run.state["thumbMaxView"].boolean);
    Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    // 2 x 2 cells: the BMP top right, the JPEG bottom left. Through the middle of each cell,
    // the red picture fills the whole image box.
    const int bmpRows = RedRows(png, 131, 20, 20 + 83);
    EXPECT_EQ(bmpRows, run.state["cellHeight"].Int() - 5);
    EXPECT_EQ(RedRows(png, 45, 20 + 83, 20 + 168), bmpRows);
}

// A small JPEG claiming 16144 x 32780 pixels behind 4 MB of comments is decoded neither for
// its thumbnail nor for the image view; a tiled GIF beside it shows every tile of its first
// picture.
TEST(PictureLoading, HostileJpegsAreRefusedAndTiledGifsShowEveryTile) {
    Device device;
    WriteSolidJpeg(device.Host("\\Pics\\claim.jpg"), 16, 16, 0x00FF00);
    std::string bytes = device.ReadFile("\\Pics\\claim.jpg");
    const size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    bytes[frame + 5] = static_cast<char>(32780 >> 8);
    bytes[frame + 6] = static_cast<char>(32780 & 0xFF);
    bytes[frame + 7] = static_cast<char>(16144 >> 8);
    bytes[frame + 8] = static_cast<char>(16144 & 0xFF);
    std::string padding;
    for (int i = 0; i < 64; ++i)
        padding += "\xFF\xFE\xFF\xFF" + std::string(0xFFFD, 'c');
    bytes.insert(bytes.find("\xFF\xDA"), padding);
    device.WriteFile("\\Pics\\claim.jpg", bytes);

    // Two tiles side by side, each with a palette of its own; a third comes after a delay.
    imaging::testing::GifLayout gif;
    gif.screenWidth = 100;
    gif.screenHeight = 60;
    gif.colours = {{0, 0, 0}, {255, 255, 255}};
    const auto tile = [](int left, GifColorType colour, int delay) {
        imaging::testing::GifFrameLayout f;
        f.left = left;
        f.width = 50;
        f.height = 60;
        f.pixels.assign(50 * 60, 1);
        f.localColours = {{0, 0, 0}, colour};
        f.delay = delay;
        return f;
    };
    gif.frame = tile(0, {255, 0, 0}, 0);
    gif.moreFrames = {tile(50, {0, 0, 255}, 10), tile(0, {0, 255, 0}, 10)};
    device.WriteFile("\\Pics\\tiles.gif", imaging::testing::BuildGif(gif));

    const auto run = RunHeadless(device, Checkpoints(device, "Enter @claim Right"), true);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    // The broken-picture mark: no size known, and the image view stays empty.
    const Json claim = device.TakenState("claim");
    EXPECT_EQ(Pick(claim, "fileList.entries.0.imageWidth viewMode"), "0 Image");
    EXPECT_TRUE(claim["image"]["path"].IsNull() || claim["image"]["width"].Int() == 0)
        << Pick(claim, "image.path image.width");
    EXPECT_EQ(run.state["image"]["width"].Int(), 100);
    Png png;
    ASSERT_TRUE(ReadPng(run.screenshot, &png));
    // Centred in the 176 x 180 view below the title strip: x 38-137, y 60-119.
    EXPECT_EQ(png.At(38 + 25, 20 + 60 + 30), 0xFF0000u);
    EXPECT_EQ(png.At(38 + 75, 20 + 60 + 30), 0x0000FFu);
}
