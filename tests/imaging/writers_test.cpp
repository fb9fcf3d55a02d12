#include <gtest/gtest.h>

#include "imaging/jpeg_save.h"
#include "imaging/loaders.h"
#include "imaging/picture_decoder.h"
#include "imaging/picture_writers.h"
#include "test_support.h"

namespace imaging {
namespace {

using testing::FillGradient;
using testing::MakePicture;

class SaveJpegTest : public testing::DeviceRootTest {
  protected:
    void SetUp() override {
        DeviceRootTest::SetUp();
        MakePicture(&picture_, 176, 220);
        FillGradient(&picture_);
    }
    ImageBuffer picture_;
};

TEST_F(SaveJpegTest, CreatesANewFileThatLoadsBackClose) {
    ASSERT_EQ(SaveImageAsJpeg("\\MyScreen.jpg", picture_), 1);
    EXPECT_FALSE(plat::DeviceFs::Exists("\\MyScreen.jpg.xxx"));
    ImagingContext context;
    ImageBuffer loaded;
    int fw = 0, fh = 0;
    ASSERT_EQ(LoadImageFile("\\MyScreen.jpg", &loaded, 0, 1, context, &fw, &fh), 1);
    EXPECT_EQ(fw, 176);
    EXPECT_EQ(fh, 220);
    ASSERT_EQ(loaded.Width(), 176);
    ASSERT_EQ(loaded.Height(), 220);
    EXPECT_LE(testing::MaxDifference(loaded, picture_), 16);
}

TEST_F(SaveJpegTest, ReplacesAnExistingFile) {
    WriteBytes("\\Old.JPEG", "old content");
    // The packed-block form: rows right after the header.
    const BitmapInfoHeader header = picture_.Header();
    ASSERT_EQ(SaveImageAsJpeg("\\Old.JPEG", &header, picture_.Bits()), 1);
    const std::string bytes = ReadBytes("\\Old.JPEG");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(bytes[1]), 0xD8);
    EXPECT_FALSE(plat::DeviceFs::Exists("\\Old.JPEG.xxx"));
}

TEST_F(SaveJpegTest, FailuresLeaveTheTargetAndNoTemporary) {
    WriteBytes("\\keep.jpg", "old content");
    WriteBytes("\\keep.bmp", "old content");
    BitmapInfoHeader eightBit = picture_.Header();
    eightBit.biBitCount = 8;
    struct Case {
        const char* name;
        const char* path;
        const BitmapInfoHeader* header;
    } cases[] = {
        {"not a JPEG name", "\\keep.bmp", nullptr},
        {"8-bit rows", "\\keep.jpg", &eightBit},
        {"folder missing", "\\no\\such\\folder.jpg", nullptr},
    };
    const BitmapInfoHeader good = picture_.Header();
    for (const Case& c : cases) {
        const BitmapInfoHeader* header = c.header ? c.header : &good;
        EXPECT_EQ(SaveImageAsJpeg(c.path, header, picture_.Bits()), 0) << c.name;
        EXPECT_FALSE(plat::DeviceFs::Exists(std::string(c.path) + ".xxx")) << c.name;
    }
    EXPECT_EQ(ReadBytes("\\keep.jpg"), "old content");
    EXPECT_EQ(ReadBytes("\\keep.bmp"), "old content");
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
    MakePicture(&picture, 31, 17);
    FillGradient(&picture);
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
        EXPECT_EQ(fw, 31);
        EXPECT_EQ(fh, 17);
        ASSERT_EQ(loaded.Width(), 31) << c.path;
        ASSERT_EQ(loaded.Height(), 17) << c.path;
        EXPECT_LE(testing::MaxDifference(loaded, picture), c.tolerance) << c.path;
    }
    ImageBuffer empty;
    EXPECT_EQ(WriteBmp24("\\e.bmp", empty), 0);
    EXPECT_EQ(WriteGif("\\e.gif", empty), 0);
}

}  // namespace
}  // namespace imaging
