#include "imaging/picture_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gif_builder.h"
#include "test_support.h"

namespace imaging {
namespace {

using testing::GifLayout;
using testing::PixelAt;

class PictureDecoderTest : public testing::DeviceRootTest {};

// Colours 0 black, 1 red, 2 green, 3 blue.
GifLayout FourColours(int screenWidth, int screenHeight) {
    GifLayout s;
    s.screenWidth = screenWidth;
    s.screenHeight = screenHeight;
    s.colours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    return s;
}

uint32_t BitmapPixel(const plat::Bitmap& bitmap, int x, int y) {
    const uint8_t* p = bitmap.Row(y) + 3 * x;
    return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

// The picture's rows as letters, separated by "|": k black, r g b full red, green, blue,
// R G B red, green, blue at 200, ? anything else.
std::string Letters(const plat::Bitmap& bitmap) {
    const std::pair<uint32_t, char> names[] = {{0x000000, 'k'}, {0xFF0000, 'r'}, {0x00FF00, 'g'},
                                               {0x0000FF, 'b'}, {0xC80000, 'R'}, {0x00C800, 'G'},
                                               {0x0000C8, 'B'}};
    std::string out;
    for (int y = 0; y < bitmap.Height(); ++y) {
        out += y ? "|" : "";
        for (int x = 0; x < bitmap.Width(); ++x) {
            char letter = '?';
            for (const auto& [colour, name] : names) {
                letter = BitmapPixel(bitmap, x, y) == colour ? name : letter;
            }
            out += letter;
        }
    }
    return out;
}

TEST_F(PictureDecoderTest, FirstFrameIsDrawnAtItsPlaceOnTheBackground) {
    GifLayout s = FourColours(4, 3);
    s.background = 2;                                       // green
    s.frame = {1, 1, 2, 2, false, {1, 3, 0, 1}, 0, 0, {}};  // index 0 transparent
    WriteBytes("\\f.gif", BuildGif(s));
    int width = 0, height = 0;
    std::unique_ptr<plat::Bitmap> bitmap = DecodeToBitmap("\\f.gif", &width, &height);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(testing::Dims(width, height), "4x3");
    EXPECT_EQ(Letters(*bitmap), "gggg|grbg|ggrg");
}

// A picture stored as tiles, each with a palette of its own and no delay between them, is one
// picture: every tile up to the first that stays a while is drawn; what follows is animation.
TEST_F(PictureDecoderTest, TilesBeforeTheFirstDelayMakeTheFirstPicture) {
    GifLayout s = FourColours(6, 2);  // background 0: black
    const auto tile = [](int left, GifColorType colour, int delay) {
        testing::GifFrameLayout f;
        f.left = left;
        f.width = 2;
        f.height = 2;
        f.pixels = {1, 1, 1, 1};
        f.localColours = {{0, 0, 0}, colour};
        f.delay = delay;
        return f;
    };
    s.frame = tile(0, {200, 0, 0}, 0);
    s.moreFrames = {tile(2, {0, 0, 200}, 5), tile(4, {0, 200, 0}, 0)};
    const std::string tiles = BuildGif(s);
    s.frame.delay = 5;  // a first image that stays a while is the whole first picture
    const std::string delayed = BuildGif(s);
    s.frame.delay = 0;
    s.moreFrames[0].delay = 0;
    std::string cut = BuildGif(s);  // a last tile cut short: what was read before it
    cut.resize(cut.size() - 6);
    for (auto [bytes, letters] :
         {std::pair{tiles, "RRBBkk|RRBBkk"}, {delayed, "RRkkkk|RRkkkk"}, {cut, "RRBBkk|RRBBkk"}}) {
        WriteBytes("\\t.gif", bytes);
        auto bitmap = DecodeToBitmap("\\t.gif", nullptr, nullptr);
        ASSERT_NE(bitmap, nullptr) << letters;
        EXPECT_EQ(Letters(*bitmap), letters);
    }
}

TEST_F(PictureDecoderTest, InterlacedRowsLandInPlace) {
    GifLayout plain = FourColours(3, 11);
    plain.frame.width = 3;
    plain.frame.height = 11;
    for (int i = 0; i < 33; ++i) {
        plain.frame.pixels.push_back(static_cast<uint8_t>((i / 3 + i % 3) % 4));
    }
    GifLayout interlaced = plain;
    interlaced.frame.interlaced = true;
    WriteBytes("\\p.gif", BuildGif(plain));
    WriteBytes("\\i.gif", BuildGif(interlaced));
    auto a = DecodeToBitmap("\\p.gif", nullptr, nullptr);
    auto b = DecodeToBitmap("\\i.gif", nullptr, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(a->ByteSize(), b->ByteSize());
    EXPECT_EQ(std::memcmp(a->Bits(), b->Bits(), a->ByteSize()), 0);
    EXPECT_EQ(BitmapPixel(*b, 0, 5), 0xFF0000u);   // row 5 starts with index 5 % 4 = 1: red
    EXPECT_EQ(BitmapPixel(*b, 2, 10), 0x000000u);  // row 10 ends with index 12 % 4 = 0
}

TEST_F(PictureDecoderTest, HostileAndBrokenFilesFailQuietly) {
    GifLayout s = FourColours(8, 8);
    s.frame = {0, 0, 8, 8, false, std::vector<uint8_t>(64, 1), -1, 0, {}};
    const std::string good = BuildGif(s);
    // A logical screen of 49369 x 3535 with a tiny frame: refused before anything is allocated.
    std::string huge = good;
    huge[6] = static_cast<char>(49369 & 0xFF);
    huge[7] = static_cast<char>(49369 >> 8);
    huge[8] = static_cast<char>(3535 & 0xFF);
    huge[9] = static_cast<char>(3535 >> 8);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {{"huge screen", huge},
                 {"header only", good.substr(0, 13)},
                 {"no image", good.substr(0, 13 + 12) + ";"},
                 {"not a GIF", "BMnot really"},
                 {"empty", ""}};
    for (const Case& c : cases) {
        WriteBytes("\\h.gif", c.bytes);
        PictureDecoder decoder;
        EXPECT_EQ(decoder.DecodeFile("\\h.gif"), 1) << c.name;
        EXPECT_EQ(decoder.bitmap, nullptr) << c.name;
        ImageBuffer image;
        int w = -1, h = -1;
        EXPECT_EQ(LoadDecodedPicture("\\h.gif", &image, 0, &w, &h), 0) << c.name;
        EXPECT_EQ(testing::Dims(w, h), "0x0") << c.name;
    }
    PictureDecoder decoder;
    EXPECT_EQ(decoder.DecodeFile("\\missing.gif"), 0);
    // Limits given by the caller are honoured as well.
    WriteBytes("\\g.gif", good);
    int maxWidth = 7, maxHeight = 100;
    EXPECT_EQ(DecodeToBitmap("\\g.gif", &maxWidth, &maxHeight), nullptr);
}

TEST_F(PictureDecoderTest, PackedThumbnailSizesAndRows) {
    struct Case {
        int width, height, boxWidth, boxHeight;
        const char* packed;
    } cases[] = {
        {300, 200, 80, 80, "78x52"},   // percent min(26, 40) = 26
        {60, 40, 80, 80, "60x40"},     // within the box: copied
        {200, 40, 198, 80, "198x40"},  // percent 99: rows scaled, not averaged
        {10000, 1, 80, 80, "1x1"},     // percent 0: one pixel, not nothing
        {50, 50, 0, 0, "50x50"},       // no box
    };
    for (const Case& c : cases) {
        auto bitmap = plat::Bitmap::Create(c.width, c.height);
        ASSERT_NE(bitmap, nullptr);
        ImageBuffer packed;
        ASSERT_EQ(BitmapToPackedDib(*bitmap, c.boxWidth, c.boxHeight, &packed), 1);
        EXPECT_EQ(testing::Dims(packed), c.packed) << testing::Dims(c.width, c.height);
        EXPECT_EQ(packed.DpiX(), 72);
    }

    auto bitmap = plat::Bitmap::Create(4, 4);
    const uint8_t stored[4] = {10, 20, 30, 40};  // memory order: the bottom row first
    for (int k = 0; k < 4; ++k) {
        std::memset(bitmap->Bits() + k * bitmap->Stride(), stored[k], 12);
    }
    ImageBuffer packed;
    ASSERT_EQ(BitmapToPackedDib(*bitmap, 2, 2, &packed), 1);
    // Stored rows averaged: e starts at 2: the first row alone, then rows 1 and 2 averaged;
    // row 3 is never read.
    EXPECT_EQ(packed.Bits()[0], 10);
    EXPECT_EQ(packed.Bits()[packed.Stride()], 25);
}

TEST_F(PictureDecoderTest, ViewLoadTurnsLikeRotated) {
    GifLayout s = FourColours(3, 2);
    s.frame = {0, 0, 3, 2, false, {0, 1, 2, 3, 2, 1}, -1, 0, {}};
    WriteBytes("\\o.gif", BuildGif(s));
    ImageBuffer upright;
    int w = 0, h = 0;
    ASSERT_EQ(LoadDecodedPicture("\\o.gif", &upright, 0, &w, &h), 1);
    EXPECT_EQ(testing::Dims(w, h), "3x2");
    EXPECT_EQ(PixelAt(upright, 1, 0), 0xFF0000u);
    EXPECT_EQ(PixelAt(upright, 0, 1), 0x0000FFu);
    struct Case {
        int orientation, angle;
    } cases[] = {{1, -90}, {2, 90}};
    for (const Case& c : cases) {
        ImageBuffer turned;
        ASSERT_EQ(LoadDecodedPicture("\\o.gif", &turned, c.orientation, &w, &h), 1);
        EXPECT_EQ(w, 3);  // the file's own size
        auto expected = upright.Rotated(c.angle);
        EXPECT_TRUE(testing::SamePixels(turned, *expected)) << c.orientation;
    }
}

}  // namespace
}  // namespace imaging
