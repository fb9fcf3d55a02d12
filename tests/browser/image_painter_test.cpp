#include "imaging/image_painter.h"

#include <gtest/gtest.h>

#include "imaging/image_buffer.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/surface.h"

namespace {

// A picture whose pixels name themselves: blue = x, green = y, red = (x * 7 + y * 13) & 255.
void MakeCoded(imaging::ImageBuffer* image, int width, int height) {
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, width, height, 24, 72, 72);
    ASSERT_EQ(image->Create(header), 1);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->RowPtr(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<uint8_t>(x);
            row[x * 3 + 1] = static_cast<uint8_t>(y);
            row[x * 3 + 2] = static_cast<uint8_t>((x * 7 + y * 13) & 255);
        }
    }
}

int Channel(const imaging::ImageBuffer& image, int x, int y, int c) {
    return image.RowPtr(y)[x * 3 + c];
}

int SurfaceChannel(const plat::Surface& s, int x, int y, int c) {
    return s.Row(y)[x * 3 + c];
}

// A coded picture of w x h, a screen of sw x sh and the painter.
struct Rig {
    imaging::ImageBuffer image;
    plat::Surface screen;
    plat::Canvas canvas{&screen};
    ImagePainter painter;
    Rig(int w, int h, int sw, int sh) : screen(sw, sh) { MakeCoded(&image, w, h); }
};

TEST(ImagePainterTest, ZeroAndMinusOneMeanActualSize) {
    ImagePainter painter;
    painter.SetZoom(-3);
    EXPECT_EQ(painter.Zoom(), -3);
    painter.SetZoom(0);
    EXPECT_EQ(painter.Zoom(), 1);
    painter.SetZoom(4);
    painter.SetZoom(-1);
    EXPECT_EQ(painter.Zoom(), 1);
}

TEST(ImagePainterTest, TallDestinationIsDrawnInBandsOfFifty) {
    Rig r(176, 240, 176, 220);
    auto& [image, screen, canvas, painter] = r;
    ASSERT_EQ(painter.Draw(canvas, image, {0, 0, 176, 220}, {0, 10, 176, 230}, 1), 1);
    EXPECT_EQ(painter.LastBands(), (std::vector<int>{50, 50, 50, 50, 20}));
    // Every line comes from the row 10 below it, unchanged, in every band.
    for (int y : {0, 49, 50, 199, 200, 219}) {
        for (int x : {0, 100, 175}) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(SurfaceChannel(screen, x, y, c), Channel(image, x, y + 10, c))
                    << x << "," << y;
            }
        }
    }
    ASSERT_EQ(painter.Draw(canvas, image, {0, 0, 176, 30}, {0, 0, 176, 30}, 1), 1);
    EXPECT_EQ(painter.LastBands(), (std::vector<int>{30}));
}

TEST(ImagePainterTest, MagnifiedRowsRepeatAcrossBandBoundaries) {
    Rig r(60, 60, 176, 120);
    auto& [image, screen, canvas, painter] = r;
    // Zoom 3: lines 48, 49 (first band) and 50 (second band) all show source row 16 + 5.
    ASSERT_EQ(painter.Draw(canvas, image, {0, 0, 150, 120}, {4, 5, 54, 45}, 3), 1);
    EXPECT_EQ(painter.LastBands(), (std::vector<int>{50, 50, 20}));
    for (int y = 0; y < 120; ++y) {
        for (int x : {0, 1, 2, 3, 74, 149}) {
            const int sx = 4 + x / 3, sy = 5 + y / 3;
            ASSERT_EQ(SurfaceChannel(screen, x, y, 0), sx) << x << "," << y;
            ASSERT_EQ(SurfaceChannel(screen, x, y, 1), sy) << x << "," << y;
            ASSERT_EQ(SurfaceChannel(screen, x, y, 2), Channel(image, sx, sy, 2));
        }
    }
    EXPECT_EQ(painter.Zoom(), 3);
}

// The expected reduced pixel: rows of the group averaged first (truncated), then pixels.
int Reduced(const imaging::ImageBuffer& image, const plat::Rect& src, int n, int x, int y, int c) {
    const int r0 = src.top + y * n, r1 = std::min(r0 + n, src.bottom);
    const int c0 = src.left + x * n, c1 = std::min(c0 + n, src.right);
    int sum = 0;
    for (int cx = c0; cx < c1; ++cx) {
        int column = 0;
        for (int ry = r0; ry < r1; ++ry)
            column += Channel(image, cx, ry, c);
        sum += column / (r1 - r0);
    }
    return sum / (c1 - c0);
}

TEST(ImagePainterTest, ReductionAveragesWholeGroupsWithoutDrift) {
    Rig r(250, 250, 176, 220);
    auto& [image, screen, canvas, painter] = r;
    // 1/2: 120 lines in bands of 50, 50 and 20; line 50 starts at source row 100, not 99.
    const plat::Rect src{2, 3, 242, 243};
    ASSERT_EQ(painter.Draw(canvas, image, {0, 0, 120, 120}, src, -2), 1);
    EXPECT_EQ(painter.LastBands(), (std::vector<int>{50, 50, 20}));
    for (int y : {0, 1, 48, 49, 50, 51, 99, 100, 119}) {
        for (int x : {0, 1, 60, 119}) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_EQ(SurfaceChannel(screen, x, y, c), Reduced(image, src, 2, x, y, c))
                    << x << "," << y << " channel " << c;
            }
        }
    }
    // Green is the row number: line 50 averages rows 103 and 104.
    EXPECT_EQ(SurfaceChannel(screen, 0, 50, 1), (103 + 104) / 2);
}

TEST(ImagePainterTest, ShortLastGroupsAreAveragedOverTheirOwnCount) {
    Rig r(100, 100, 40, 40);
    auto& [image, screen, canvas, painter] = r;
    // 1/3 of 20 x 20: the last column and line groups hold 2 pixels and 2 rows.
    const plat::Rect src{10, 10, 30, 30};
    ASSERT_EQ(painter.Draw(canvas, image, {0, 0, 7, 7}, src, -3), 1);
    EXPECT_EQ(SurfaceChannel(screen, 6, 0, 0), (28 + 29) / 2);
    EXPECT_EQ(SurfaceChannel(screen, 0, 6, 1), (28 + 29) / 2);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(SurfaceChannel(screen, 6, 6, c), Reduced(image, src, 3, 6, 6, c));
        EXPECT_EQ(SurfaceChannel(screen, 3, 2, c), Reduced(image, src, 3, 3, 2, c));
    }
}

TEST(ImagePainterTest, DestinationOutsideTheCanvasIsClipped) {
    Rig r(80, 80, 50, 50);
    auto& [image, screen, canvas, painter] = r;
    // Magnified 2x starting 3 pixels left of and 5 above the canvas.
    ASSERT_EQ(painter.Draw(canvas, image, {-3, -5, 97, 95}, {10, 20, 60, 70}, 2), 1);
    EXPECT_EQ(SurfaceChannel(screen, 0, 0, 0), 10 + 3 / 2);
    EXPECT_EQ(SurfaceChannel(screen, 0, 0, 1), 20 + 5 / 2);
    EXPECT_EQ(SurfaceChannel(screen, 49, 49, 0), 10 + 52 / 2);
    EXPECT_EQ(SurfaceChannel(screen, 49, 49, 1), 20 + 54 / 2);
    // A source rectangle reaching past the picture leaves black there, never reads outside.
    plat::Surface small(20, 20);
    plat::Canvas smallCanvas(&small);
    ASSERT_EQ(painter.Draw(smallCanvas, image, {0, 0, 20, 20}, {70, 70, 90, 90}, 1), 1);
    EXPECT_EQ(SurfaceChannel(small, 9, 9, 0), 79);
    EXPECT_EQ(small.Pixel(10, 5), 0u);
    EXPECT_EQ(small.Pixel(5, 10), 0u);
}

TEST(ImagePainterTest, RefusesPicturesItCannotRead) {
    imaging::ImageBuffer empty;
    plat::Surface screen(10, 10);
    plat::Canvas canvas(&screen);
    ImagePainter painter;
    EXPECT_EQ(painter.Draw(canvas, empty, {0, 0, 10, 10}, {0, 0, 10, 10}, 1), 0);
    imaging::ImageBuffer mono;
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, 8, 8, 1, 72, 72);
    ASSERT_EQ(mono.Create(header), 1);
    EXPECT_EQ(painter.Draw(canvas, mono, {0, 0, 8, 8}, {0, 0, 8, 8}, 1), 0);
}

}  // namespace
