#include "imaging/loaders.h"

#include <gtest/gtest.h>

#include <vector>

#include "gif_builder.h"
#include "imaging/fit.h"
#include "imaging/picture_type.h"
#include "imaging/picture_writers.h"
#include "test_support.h"

namespace imaging {
namespace {

using testing::Dims;
using testing::MakePicture;

TEST(FitTest, FitsWithoutEnlarging) {
    struct Case {
        int w, h, boxW, boxH;
        const char* fit;
    } cases[] = {
        {640, 480, 80, 60, "80x60"},
        {640, 480, 80, 80, "80x60"},
        {100, 30, 80, 80, "80x24"},
        {30, 100, 80, 80, "24x80"},
        {60, 40, 80, 80, "60x40"},
        {1000, 1, 80, 80, "80x1"},
        {400, 300, 352, 440, "352x264"},
        {300, 400, 440, 352, "264x352"},
        {1, 1000, 80, 80, "1x80"},
        {800, 1005, 176, 220, "175x220"},  // fitted to the width it would be 221 high
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        FitSize(c.w, c.h, c.boxW, c.boxH, &w, &h);
        EXPECT_EQ(Dims(w, h), c.fit) << Dims(c.w, c.h) << " in " << Dims(c.boxW, c.boxH);
    }
}

TEST(FitTest, CoverBoxGrowsTheBoxSoThePictureCoversIt) {
    struct Case {
        int w, h;
        const char* cover;  // of a 40 x 40 box
    } cases[] = {
        {640, 480, "53x40"},  // rdiv(640 x 40, 480) = 53
        {480, 640, "40x53"},  {640, 100, "256x40"},
        {100, 640, "40x256"}, {30, 30, "40x40"},  // within the box: unchanged
        {60, 20, "120x40"},
    };
    for (const Case& c : cases) {
        int w = 40, h = 40;
        CoverBox(c.w, c.h, &w, &h);
        EXPECT_EQ(Dims(w, h), c.cover) << Dims(c.w, c.h);
    }
}

// Rows whose blue is the row's number (mod 256) and green the column's; counts the rows read.
// With `rows`, it runs dry after that many, as a short BMP file does.
class CountingRows : public RowSource {
  public:
    explicit CountingRows(int width, int rows = 1 << 30) : width_(width), rows_(rows) {}
    int NextRow(uint8_t* row) override {
        for (int x = 0; x < width_; ++x) {
            row[3 * x] = static_cast<uint8_t>(read_ % 256);
            row[3 * x + 1] = static_cast<uint8_t>(x);
            row[3 * x + 2] = 0;
        }
        return ++read_ < rows_ ? 1 : 0;
    }
    int read_ = 0;

  private:
    int width_, rows_;
};

TEST(StoreDecodedRowsTest, AveragesRowsAndStopsAfterTheLastLine) {
    struct Case {
        int sourceHeight, lines;
        int firstLine;  // expected value of line 0
        int reads;      // rows read in all
    } cases[] = {
        {4, 2, 0, 2},          // row 0 alone, then row 1 alone; rows 2 and 3 never read
        {1200, 132, 2, 1188},  // line 0 = rows 0-4 averaged; line 131 = row 1187
        {3, 3, 0, 3},          // equal heights: one row per line
        {10, 1, 0, 1},         // a one-line picture comes from the first row
    };
    for (const Case& c : cases) {
        ImageBuffer image;
        MakePicture(&image, 1, c.lines);
        CountingRows rows(1);
        ASSERT_EQ(StoreDecodedRows(&image, 1, c.sourceHeight, 1, 0, rows), 1);
        EXPECT_EQ(image.RowPtr(0)[0], c.firstLine) << c.sourceHeight;
        EXPECT_EQ(rows.read_, c.reads) << c.sourceHeight;
        // The last line is the single row read last.
        EXPECT_EQ(image.RowPtr(c.lines - 1)[0], (c.reads - 1) % 256) << c.sourceHeight;
    }
}

TEST(StoreDecodedRowsTest, EndedDataLeavesTheRemainingLinesBlack) {
    struct Case {
        int sourceHeight, lines, rows;
        int lastWritten;  // the last line holding data; lines below it stay black
        int lastValue;
    } cases[] = {
        {10, 10, 4, 3, 3},        // one row per line: row 3 (the short one) is still written
        {1000, 10, 200, 2, 174},  // line 2 ends early: rows 150..199 averaged
    };
    for (const Case& c : cases) {
        ImageBuffer image;
        MakePicture(&image, 1, c.lines);
        CountingRows rows(1, c.rows);
        ASSERT_EQ(StoreDecodedRows(&image, 1, c.sourceHeight, 1, 0, rows), 1);
        EXPECT_EQ(rows.read_, c.rows) << c.sourceHeight;
        EXPECT_EQ(image.RowPtr(c.lastWritten)[0], c.lastValue % 256) << c.sourceHeight;
        EXPECT_EQ(image.RowPtr(c.lastWritten)[1], 0) << c.sourceHeight;
        for (int y = c.lastWritten + 1; y < c.lines; ++y) {
            EXPECT_EQ(image.RowPtr(y)[0], 0) << c.sourceHeight << " line " << y;
        }
    }
}

TEST(StoreDecodedRowsTest, ScalesRowsToTheLineLength) {
    ImageBuffer image;
    MakePicture(&image, 2, 2);
    CountingRows rows(4);  // green channel 0, 1, 2, 3 across the row
    ASSERT_EQ(StoreDecodedRows(&image, 4, 2, 0, 0, rows), 1);
    // Bottom-up source: row 0 of the source is the bottom line.
    EXPECT_EQ(image.RowPtr(1)[0], 0);
    EXPECT_EQ(image.RowPtr(0)[0], 1);
    EXPECT_EQ(image.RowPtr(0)[1], 0);  // (0 + 1) / 2
    EXPECT_EQ(image.RowPtr(0)[4], 2);  // (2 + 3) / 2
}

class LoaderTest : public testing::DeviceRootTest {
  protected:
    ImagingContext context_;
};

// A BMP at its own size keeps its pixels.
TEST_F(LoaderTest, ViewSizes) {
    struct Case {
        int width, height;
        bool bmp;
        int level, orientation;
        const char* picture;
    } cases[] = {
        {1600, 1200, false, 0, 0, "200x150"},
        {1600, 1200, false, 1, 0, "400x300"},
        {1600, 1200, false, 0, 1, "300x400"},  // box 220 x 176: 2/8 covers
        {400, 300, true, 0, 0, "352x264"},
        {400, 300, true, 0, 1, "300x400"},
        {100, 50, true, 0, 0, "100x50"},
        {13, 7, true, 0, 0, "13x7"},
        {1200, 300, true, 2, 0, "1056x264"},
        // A camera picture whose 1/8 is wider than twice the box: reduced like the BMP.
        {3200, 2400, false, 0, 0, "352x264"},
        {3200, 2400, false, 1, 0, "400x300"},
        {3200, 2400, false, 2, 0, "800x600"},
        {3200, 2400, false, 0, 1, "300x400"},  // 1/8 fits 440 x 352
    };
    for (const Case& c : cases) {
        const std::string path = c.bmp ? "\\v.bmp" : "\\v.jpg";
        SCOPED_TRACE(path + " " + Dims(c.width, c.height) + " level " + std::to_string(c.level) +
                     " turn " + std::to_string(c.orientation));
        WriteGradient(path, c.width, c.height, c.bmp);
        context_.loadSizeLevel = c.level;
        context_.orientation = c.orientation;
        ImageBuffer image, original;
        int fw = 0, fh = 0;
        ASSERT_EQ(LoadImageFile(path, &image, 0, 0, context_, &fw, &fh), 1);
        EXPECT_EQ(Dims(fw, fh), Dims(c.width, c.height));
        EXPECT_EQ(Dims(image), c.picture);
        testing::MakeGradient(&original, c.width, c.height);
        if (c.bmp && Dims(image) == Dims(original)) {
            EXPECT_TRUE(testing::SamePixels(image, original));
        }
    }
}

// Turning while the rows are stored equals loading upright and turning afterwards, for either
// row order (a BMP is stored bottom up, a JPEG decoded top down), reduced while stored or not.
// A square screen asks for the same decode size in either orientation; the JPEG of 500 x 300
// is decoded at 4/8.
TEST_F(LoaderTest, ViewOrientationMatchesRotated) {
    context_.screenWidth = context_.screenHeight = 200;
    for (const std::string path : {"\\o.jpg", "\\o.bmp"}) {
        for (auto [width, height] : {std::pair{500, 300}, {13, 7}}) {
            SCOPED_TRACE(path + " " + Dims(width, height));
            WriteGradient(path, width, height, path.back() == 'p');
            ImageBuffer upright;
            context_.orientation = 0;
            ASSERT_EQ(LoadImageFile(path, &upright, 0, 0, context_), 1);
            for (int orientation : {1, 2}) {
                context_.orientation = orientation;
                ImageBuffer turned, kept;
                ASSERT_EQ(LoadImageFile(path, &turned, 0, 0, context_), 1);
                auto expected = upright.Rotated(orientation == 1 ? -90 : 90);
                EXPECT_TRUE(testing::SamePixels(turned, *expected)) << orientation;
                // The stored orientation is kept when asked (the Home Screen background).
                ASSERT_EQ(LoadImageFile(path, &kept, 0, 1, context_), 1);
                EXPECT_TRUE(testing::SamePixels(kept, upright));
            }
        }
    }
}

TEST_F(LoaderTest, FittedLoadForTheSlideShowLeavesTheOutSizesAlone) {
    WriteGradient("\\f.jpg", 1600, 1200, false);
    ImageBuffer image;
    int fw = -7, fh = -7;
    ASSERT_EQ(LoadImageFile("\\f.jpg", &image, 1, 0, context_, &fw, &fh), 1);
    EXPECT_EQ(Dims(image), "176x132");
    EXPECT_EQ(Dims(fw, fh), "-7x-7");
}

// "Maximum Thumbnail View" covers the box instead of fitting into it; on a wide picture the
// covered box decides what the JPEG decoder is asked for, so a JPEG fills the box as a BMP does.
TEST_F(LoaderTest, Thumbnails) {
    WriteGradient("\\t.jpg", 640, 480, false);
    WriteGradient("\\t.bmp", 640, 480, true);
    WriteGradient("\\w.jpg", 2000, 300, false);
    WriteGradient("\\w.bmp", 2000, 300, true);
    WriteGradient("\\h.jpg", 300, 2000, false);
    testing::GifLayout gif;
    gif.screenWidth = 300;
    gif.screenHeight = 200;
    gif.colours = {{0, 0, 0}, {255, 255, 255}};
    gif.frame = {0, 0, 300, 200, false, std::vector<uint8_t>(300 * 200, 1), -1, 0, {}};
    WriteBytes("\\t.gif", testing::BuildGif(gif));
    WriteBytes("\\t.txt", "hello, not a picture");
    struct Case {
        const char* path;
        int boxWidth, boxHeight, thumbMaxView;
        const char* thumb;  // "none" when it cannot be loaded
        const char* file;
    } cases[] = {
        {"\\t.jpg", 80, 80, 0, "80x60", "640x480"},
        {"\\t.bmp", 80, 80, 0, "80x60", "640x480"},
        {"\\t.jpg", 40, 40, 1, "53x40", "640x480"},
        {"\\t.bmp", 40, 40, 1, "53x40", "640x480"},
        {"\\t.gif", 80, 80, 0, "78x52", "300x200"},
        {"\\t.txt", 80, 80, 0, "none", "0x0"},
        {"\\none.jpg", 80, 80, 0, "none", "0x0"},
        // Box 80 x 66: covered, it becomes (rdiv(2000 x 66, 300), 66) = (440, 66).
        {"\\w.jpg", 80, 66, 1, "440x66", "2000x300"},
        {"\\w.bmp", 80, 66, 1, "440x66", "2000x300"},
        // Fitted: 80 x rdiv(300 x 80, 2000) = 80 x 12.
        {"\\w.jpg", 80, 66, 0, "80x12", "2000x300"},
        {"\\w.bmp", 80, 66, 0, "80x12", "2000x300"},
        // Tall: the box becomes (80, rdiv(2000 x 80, 300)) = (80, 533); the decoder's 5/8
        // (188 x 1250) fitted into it is 80 x rdiv(1250 x 80, 188) = 80 x 532.
        {"\\h.jpg", 80, 66, 1, "80x532", "300x2000"},
    };
    for (const Case& c : cases) {
        context_.thumbMaxView = c.thumbMaxView;
        int width = c.boxWidth, height = c.boxHeight;
        std::unique_ptr<plat::Bitmap> bitmap =
            LoadThumbnailBitmap(c.path, context_, &width, &height);
        EXPECT_EQ(Dims(width, height), c.file) << c.path;
        EXPECT_EQ(bitmap ? Dims(bitmap->Width(), bitmap->Height()) : "none", c.thumb)
            << c.path << " " << c.thumbMaxView;
    }
    // A white GIF stays white when reduced.
    context_.thumbMaxView = 0;
    int width = 80, height = 80;
    auto white = LoadThumbnailBitmap("\\t.gif", context_, &width, &height);
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->Row(10)[30], 255);
    // A thumbnail is an average of the file: blue rises from 0 at the left to 255 at the
    // right, green from the top to the bottom.
    width = height = 80;
    auto bitmap = LoadThumbnailBitmap("\\t.bmp", context_, &width, &height);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_LT(bitmap->Row(30)[0], 8);
    EXPECT_GT(bitmap->Row(30)[3 * 79], 247);
    EXPECT_LT(bitmap->Row(0)[1], 8);
    EXPECT_GT(bitmap->Row(59)[1], 247);
}

TEST_F(LoaderTest, UnrecognisedContentFails) {
    WriteBytes("\\u.jpg", "GIF? no: neither");
    WriteBytes("\\x.jpg", std::string("\xFF\xD8 but nothing else", 19));
    for (const char* path : {"\\u.jpg", "\\x.jpg", "\\missing.jpg"}) {
        for (int fit : {0, 1}) {
            ImageBuffer image;
            int fw = -1, fh = -1;
            EXPECT_EQ(LoadImageFile(path, &image, fit, 0, context_, &fw, &fh), 0) << path;
            if (fit == 0) {
                EXPECT_EQ(fw, 0) << path;
                EXPECT_EQ(fh, 0) << path;
            }
        }
    }
}

TEST_F(LoaderTest, PictureTypeFromContent) {
    struct Case {
        const char* name;
        std::string bytes;
        int type;
    } cases[] = {{"bmp", "BM....", 1},  {"gif", "GIF89a", 2},  {"jpeg", "\xFF\xD8\xFF", 3},
                 {"BA", "BA....", -1},  {"one byte", "B", -1}, {"empty", "", -1},
                 {"png", "\x89PNG", -1}};
    for (const Case& c : cases) {
        WriteBytes("\\c.bin", c.bytes);
        EXPECT_EQ(PictureTypeFromContent("\\c.bin"), c.type) << c.name;
    }
    EXPECT_EQ(PictureTypeFromContent("\\missing"), -1);
}

}  // namespace
}  // namespace imaging
