#include <gtest/gtest.h>

#include "imaging/jpeg_save.h"
#include "imaging/loaders.h"
#include "imaging/picture_decoder.h"
#include "imaging/picture_writers.h"
#include "test_support.h"

namespace imaging {
namespace {

class SaveJpegTest : public testing::DeviceRootTest {
  protected:
    void SetUp() override {
        DeviceRootTest::SetUp();
        testing::MakeGradient(&picture_, 176, 220);
    }
    ImageBuffer picture_;
};

// A new file, or one replacing an old file through the packed-block form (rows right after
// the header): either loads back close, and no temporary is left.
TEST_F(SaveJpegTest, CreatesOrReplacesAFileThatLoadsBackClose) {
    WriteBytes("\\Old.JPEG", "old content");
    const BitmapInfoHeader header = picture_.Header();
    ASSERT_EQ(SaveImageAsJpeg("\\MyScreen.jpg", picture_), 1);
    ASSERT_EQ(SaveImageAsJpeg("\\Old.JPEG", &header, picture_.Bits()), 1);
    for (const std::string path : {"\\MyScreen.jpg", "\\Old.JPEG"}) {
        EXPECT_FALSE(plat::DeviceFs::Exists(path + ".xxx"));
        ImagingContext context;
        ImageBuffer loaded;
        int fw = 0, fh = 0;
        ASSERT_EQ(LoadImageFile(path, &loaded, 0, 1, context, &fw, &fh), 1) << path;
        EXPECT_EQ(testing::Dims(fw, fh), "176x220");
        ASSERT_EQ(testing::Dims(loaded), "176x220");
        EXPECT_LE(testing::MaxDifference(loaded, picture_), 16) << path;
    }
}

TEST(FixedPaletteTest, NearestLevels) {
    struct Case {
        uint8_t r, g, b;
        int index;
        uint32_t colour;  // 0x00BBGGRR
    } cases[] = {
        {0, 0, 0, 0, 0x000000},
        {255, 255, 255, 251, 0xFFFFFF},
        {255, 0, 0, 210, 0x0000FF},
        {0, 255, 0, 36, 0x00FF00},
        {0, 0, 255, 5, 0xFF0000},
        {128, 128, 128, 147, 0x997F99},  // levels 3/5, 3/6, 3/5: 153, 127, 153
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FixedPaletteIndex(c.r, c.g, c.b), c.index);
        EXPECT_EQ(FixedPaletteColour(c.index), c.colour);
    }
    EXPECT_EQ(FixedPaletteColour(252), 0u);  // beyond the 252 colours: black
}

class WritersTest : public testing::DeviceRootTest {};

TEST_F(WritersTest, EveryFormatLoadsBack) {
    ImageBuffer picture;
    testing::MakeGradient(&picture, 31, 17);
    struct Case {
        const char* path;
        int (*write)(const std::string&, const ImageBuffer&);
        int tolerance;
    } cases[] = {
        {"\\w24.bmp", WriteBmp24, 0},
        {"\\w8.bmp", WriteBmp8, 26},  // nearest of 6 or 7 levels: off by 255 / 10 at most
        {"\\w.gif", WriteGif, 26},
        {"\\w.jpg", [](const std::string& p, const ImageBuffer& i) { return WriteJpegFile(p, i); },
         16},
    };
    ImagingContext context;
    for (const Case& c : cases) {
        ASSERT_EQ(c.write(c.path, picture), 1) << c.path;
        ImageBuffer loaded;
        int fw = 0, fh = 0;
        ASSERT_EQ(LoadImageFile(c.path, &loaded, 0, 0, context, &fw, &fh), 1) << c.path;
        EXPECT_EQ(testing::Dims(fw, fh), "31x17");
        ASSERT_EQ(testing::Dims(loaded), "31x17") << c.path;
        EXPECT_LE(testing::MaxDifference(loaded, picture), c.tolerance) << c.path;
    }
    ImageBuffer empty;
    EXPECT_EQ(WriteBmp24("\\e.bmp", empty), 0);
    EXPECT_EQ(WriteGif("\\e.gif", empty), 0);
}

}  // namespace
}  // namespace imaging
