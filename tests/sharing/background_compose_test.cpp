// The three Home Screen compositions on the 176 x 180 canvas of the default screen.
#include "sharing/background_compose.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kFace = 0x00C8D0D4;  // 0x00BBGGRR

// A picture whose pixel (x, y) holds x in red, y in green and `tag` in blue.
std::unique_ptr<imaging::ImageBuffer> Coordinates(int width, int height, uint8_t tag = 7) {
    auto picture = MakeBackgroundCanvas(width, height, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture->RowPtr(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = tag;
            row[3 * x + 1] = static_cast<uint8_t>(y);
            row[3 * x + 2] = static_cast<uint8_t>(x);
        }
    }
    return picture;
}

// The pixel at (x, y) as 0x00BBGGRR.
uint32_t At(const imaging::ImageBuffer& image, int x, int y) {
    const uint8_t* p = image.RowPtr(y) + 3 * x;
    return static_cast<uint32_t>(p[2]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[0]) << 16);
}

// What Coordinates() holds at picture pixel (x, y).
uint32_t Source(int x, int y, uint8_t tag = 7) {
    return static_cast<uint32_t>(x) | (static_cast<uint32_t>(y) << 8) |
           (static_cast<uint32_t>(tag) << 16);
}

// The default 176 x 180 canvas with Coordinates(width, height) composed onto it by `compose`.
std::unique_ptr<imaging::ImageBuffer> Composed(int (*compose)(const imaging::ImageBuffer&,
                                                              imaging::ImageBuffer*),
                                               int width, int height) {
    auto canvas = MakeBackgroundCanvas(176, 180, kFace);
    EXPECT_EQ(compose(*Coordinates(width, height), canvas.get()), 1);
    return canvas;
}

}  // namespace

TEST(BackgroundCanvas, IsFilledWithTheColourAndRefusesImpossibleSizes) {
    const auto canvas = MakeBackgroundCanvas(176, 180, kFace);
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->Width(), 176);
    EXPECT_EQ(canvas->Height(), 180);
    EXPECT_EQ(canvas->BitsPerPixel(), 24);
    EXPECT_EQ(canvas->DpiX(), 72);
    EXPECT_EQ(At(*canvas, 0, 0), kFace);
    EXPECT_EQ(At(*canvas, 175, 179), kFace);
    EXPECT_EQ(MakeBackgroundCanvas(0, 180, kFace), nullptr);
    EXPECT_EQ(MakeBackgroundCanvas(176, 40000, kFace), nullptr);
}

// A smaller picture is framed with the odd pixel on the right and at the bottom; a larger one
// shows its middle unscaled; a wider but shorter one mixes both rules.
TEST(ComposeCenter, FramesASmallerPictureAndCutsALargerOneToItsMiddle) {
    // 125 spare columns: 62 on the left, 63 on the right; 149 spare rows: 74 above, 75 below.
    const auto small = Composed(ComposeCenter, 51, 31);
    EXPECT_EQ(At(*small, 61, 90), kFace);
    EXPECT_EQ(At(*small, 62, 74), Source(0, 0));
    EXPECT_EQ(At(*small, 112, 104), Source(50, 30));
    EXPECT_EQ(At(*small, 113, 90), kFace);
    EXPECT_EQ(At(*small, 80, 73), kFace);
    EXPECT_EQ(At(*small, 80, 105), kFace);
    EXPECT_EQ(At(*small, 80, 90), Source(18, 16));
    // 201 x 191: 25 columns too many, 12 cut on the left; 11 rows too many, 5 cut on top.
    const auto large = Composed(ComposeCenter, 201, 191);
    EXPECT_EQ(At(*large, 0, 0), Source(12, 5));
    EXPECT_EQ(At(*large, 175, 179), Source(187, 184));
    EXPECT_EQ(At(*large, 100, 50), Source(112, 55));
    const auto wide = Composed(ComposeCenter, 180, 20);
    EXPECT_EQ(At(*wide, 0, 80), Source(2, 0));
    EXPECT_EQ(At(*wide, 175, 99), Source(177, 19));
    EXPECT_EQ(At(*wide, 0, 79), kFace);
    EXPECT_EQ(At(*wide, 0, 100), kFace);
}

// A fifty-row picture repeats its rows, then starts over, and the last tile is cut; a picture
// larger than the canvas is cut at the right and bottom.
TEST(ComposeTile, RepeatsThePictureAndCutsTheLastTile) {
    const auto tiled = Composed(ComposeTile, 30, 50);
    // Rows 0-49, 0-49, 0-49, then 0-29.
    const int rows[][2] = {{0, 0},    {49, 49}, {50, 0},   {99, 49}, {100, 0},
                           {149, 49}, {150, 0}, {179, 29}, {120, 20}};
    for (const auto& [canvasRow, pictureRow] : rows)
        EXPECT_EQ(At(*tiled, 0, canvasRow), Source(0, pictureRow)) << "row " << canvasRow;
    // Columns every 30 pixels; the sixth tile keeps only 26 of its 30 columns.
    EXPECT_EQ(At(*tiled, 29, 10), Source(29, 10));
    EXPECT_EQ(At(*tiled, 30, 10), Source(0, 10));
    EXPECT_EQ(At(*tiled, 150, 10), Source(0, 10));
    EXPECT_EQ(At(*tiled, 175, 10), Source(25, 10));
    const auto large = Composed(ComposeTile, 200, 200);
    EXPECT_EQ(At(*large, 0, 0), Source(0, 0));
    EXPECT_EQ(At(*large, 175, 179), Source(175, 179));
}

TEST(ComposeFit, StretchesTheWholePictureOverTheWholeCanvas) {
    auto canvas = MakeBackgroundCanvas(176, 180, kFace);
    // Four flat quarters, red, green, blue and white.
    auto picture = MakeBackgroundCanvas(40, 20, 0);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            const uint32_t c =
                y < 10 ? (x < 20 ? 0x0000FF : 0x00FF00) : (x < 20 ? 0xFF0000 : 0xFFFFFF);
            imaging::FillPixels(picture->RowPtr(y) + 3 * x, c, 1);
        }
    }
    ASSERT_EQ(ComposeFit(*picture, canvas.get()), 1);
    EXPECT_EQ(At(*canvas, 5, 5), 0x0000FFu);
    EXPECT_EQ(At(*canvas, 170, 5), 0x00FF00u);
    EXPECT_EQ(At(*canvas, 5, 175), 0xFF0000u);
    EXPECT_EQ(At(*canvas, 170, 175), 0xFFFFFFu);
    // No background is left anywhere along the edges.
    for (int x = 0; x < 176; ++x) {
        ASSERT_NE(At(*canvas, x, 0), kFace);
        ASSERT_NE(At(*canvas, x, 179), kFace);
    }
}

TEST(Compose, RefusesAnEmptyPicture) {
    auto canvas = MakeBackgroundCanvas(176, 180, kFace);
    imaging::ImageBuffer empty;
    EXPECT_EQ(ComposeCenter(empty, canvas.get()), 0);
    EXPECT_EQ(ComposeTile(empty, canvas.get()), 0);
    EXPECT_EQ(ComposeFit(empty, canvas.get()), 0);
    EXPECT_EQ(At(*canvas, 88, 90), kFace);
}
