#include "imaging/image_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "test_support.h"

namespace imaging {
namespace {

using testing::MakePicture;
using testing::PixelAt;

TEST(RowStrideTest, RoundsRowsUpToFourBytes) {
    struct Case {
        int width, depth;
        uint32_t stride;
    } cases[] = {{1, 24, 4}, {176, 24, 528}, {175, 24, 528},    {9, 1, 4},
                 {32, 1, 4}, {33, 1, 8},     {3, 8, 4},         {5, 24, 16},
                 {2, 4, 4},  {0, 24, 0},     {32767, 24, 98304}};
    for (const Case& c : cases) {
        EXPECT_EQ(RowStride(c.width, c.depth), c.stride) << c.width << " x " << c.depth;
    }
}

// Every field: size, width x height, planes, depth, compression, image bytes, pixels per
// metre across and down, colours used and important.
TEST(MakeBitmapHeaderTest, FillsEveryField) {
    struct Case {
        int width, height, depth, dpi;
        const char* fields;
    } cases[] = {{176, 220, 24, 72, "40 176x220 1 24 0 116160 2834x2834 0 0"},
                 {9, 3, 1, 72, "40 9x3 1 1 0 12 2834x2834 2 0"},
                 {2, 2, 24, 96, "40 2x2 1 24 0 16 3779x3779 0 0"}};
    for (const Case& c : cases) {
        BitmapInfoHeader h;
        MakeBitmapHeader(&h, c.width, c.height, c.depth, c.dpi, c.dpi);
        std::ostringstream fields;
        fields << h.biSize << " " << h.biWidth << "x" << h.biHeight << " " << h.biPlanes << " "
               << h.biBitCount << " " << h.biCompression << " " << h.biSizeImage << " "
               << h.biXPelsPerMeter << "x" << h.biYPelsPerMeter << " " << h.biClrUsed << " "
               << h.biClrImportant;
        EXPECT_EQ(fields.str(), c.fields);
    }
}

// Block, stride and image bytes, resolution, palette entries and where the rows start: the
// header (40 bytes) and palette come first.
TEST(ImageBufferTest, CreateAllocatesOneZeroedBlock) {
    const auto layout = [](const ImageBuffer& image) {
        return std::to_string(image.BlockSize()) + " " + std::to_string(image.Stride()) + " " +
               std::to_string(image.ImageSize()) + " " + std::to_string(image.DpiX()) + " " +
               std::to_string(image.PaletteCount()) + " " +
               std::to_string(image.Bits() - image.Info());
    };
    ImageBuffer image, mono;
    EXPECT_TRUE(image.Empty());
    MakePicture(&image, 176, 220);
    EXPECT_EQ(layout(image), "116200 528 116160 72 0 40");
    std::vector<uint8_t> zero(image.ImageSize(), 0);
    EXPECT_EQ(std::memcmp(image.Bits(), zero.data(), zero.size()), 0);
    MakePicture(&mono, 9, 2, 1);
    EXPECT_EQ(layout(mono), "56 4 8 72 2 48");
}

TEST(ImageBufferTest, CreateRefusesWhatItCannotHold) {
    struct Case {
        int width, height, depth;
    } cases[] = {{10, 10, 8},  {10, 10, 32},   {0, 10, 24},    {10, 0, 24},
                 {10, -5, 24}, {40000, 1, 24}, {1, 40000, 24}, {32767, 32767, 24}};
    for (const Case& c : cases) {
        ImageBuffer image;
        MakePicture(&image, 4, 4);  // a block already held is released by a refusal too
        BitmapInfoHeader h;
        MakeBitmapHeader(&h, c.width, c.height, c.depth, 72, 72);
        EXPECT_EQ(image.Create(h), 0) << c.width << " x " << c.height << " x " << c.depth;
        // An unsupported depth changes nothing; a bad size leaves the buffer empty.
        EXPECT_EQ(image.Empty(), c.depth == 24);
    }
}

std::unique_ptr<uint8_t[]> PackedBlock(int width, int height, int32_t perMetre, size_t* bytes) {
    BitmapInfoHeader h;
    MakeBitmapHeader(&h, width, height, 24, 72, 72);
    h.biXPelsPerMeter = h.biYPelsPerMeter = perMetre;
    *bytes = 40 + h.biSizeImage;
    auto block = std::make_unique<uint8_t[]>(*bytes);
    std::memcpy(block.get(), &h, 40);
    return block;
}

// Attach reads the resolution and checks the block's size; Detach hands the block on.
TEST(ImageBufferTest, AttachAndDetach) {
    struct Case {
        int32_t perMetre;
        int dpi;
    } cases[] = {{2835, 72}, {2834, 72}, {3780, 96}, {0, 0}};
    for (const Case& c : cases) {
        size_t bytes = 0;
        auto block = PackedBlock(3, 2, c.perMetre, &bytes);
        const uint8_t* raw = block.get();
        ImageBuffer image, owner;
        ASSERT_EQ(image.Attach(std::move(block), bytes), 1);
        EXPECT_EQ(testing::Dims(image.DpiX(), image.DpiY()), testing::Dims(c.dpi, c.dpi));
        EXPECT_EQ(image.Info(), raw);
        EXPECT_EQ(testing::Dims(image), "3x2");
        image.RowPtr(0)[0] = 77;
        block = image.Detach();
        EXPECT_TRUE(image.Empty());
        EXPECT_EQ(image.Bits(), nullptr);
        EXPECT_EQ(block.get(), raw);
        image.Release();  // nothing left to free
        ASSERT_EQ(owner.Attach(std::move(block), bytes), 1);
        EXPECT_EQ(owner.RowPtr(0)[0], 77);
    }
    size_t bytes = 0;
    auto shortBlock = PackedBlock(3, 2, 2835, &bytes);
    ImageBuffer image;
    EXPECT_EQ(image.Attach(std::move(shortBlock), bytes - 1), 0);
    EXPECT_TRUE(image.Empty());
}

// Rows are stored bottom up; columns walk down, or up when reversed; runs on rows outside the
// picture are refused and change nothing.
TEST(ImageBufferTest, RowsColumnsAndRunsOutside) {
    ImageBuffer image;
    MakePicture(&image, 2, 3);
    uint8_t run[9] = {9, 9, 9, 9, 9, 9, 9, 9, 9};
    for (int y : {-1, 3}) {
        EXPECT_EQ(image.GetPixels(0, 1, y, run), 0);
        EXPECT_EQ(run[0], 9);
        EXPECT_EQ(image.SetPixels(0, 1, y, run, false, false, 0, 0, 0), 0);
    }
    std::vector<uint8_t> zero(image.ImageSize(), 0);
    EXPECT_EQ(std::memcmp(image.Bits(), zero.data(), zero.size()), 0);

    const uint8_t row[8] = {1, 2, 3, 4, 5, 6, 0, 0};
    image.SetRow(0, row);
    EXPECT_EQ(std::memcmp(image.Bits() + 2 * image.Stride(), row, 8), 0);
    uint8_t back[9] = {};
    image.GetRow(0, back);
    EXPECT_EQ(std::memcmp(back, row, 8), 0);

    const uint8_t column[9] = {1, 1, 1, 2, 2, 2, 3, 3, 3};
    image.SetColumn(1, 0, 2, column, false, false, 0, 0, 0);
    EXPECT_EQ(PixelAt(image, 1, 0), 0x010101u);
    EXPECT_EQ(PixelAt(image, 1, 2), 0x030303u);
    image.SetColumn(0, 0, 2, column, true, false, 0, 0, 0);
    EXPECT_EQ(PixelAt(image, 0, 0), 0x030303u);
    EXPECT_EQ(PixelAt(image, 0, 2), 0x010101u);
    image.GetColumn(1, 0, 2, back);
    EXPECT_EQ(std::memcmp(back, column, 9), 0);
}

TEST(ImageBufferTest, SetPixelsModes) {
    const uint8_t a[3] = {1, 2, 3};
    const uint8_t b[3] = {4, 5, 6};
    const uint8_t white[3] = {255, 255, 255};
    const uint8_t nearWhite[3] = {254, 255, 255};  // blue 254: not exactly white
    struct Case {
        const char* name;
        const uint8_t* first;
        const uint8_t* second;
        bool reverse, mask;
        uint32_t expectFirst, expectSecond;  // 0x00RRGGBB after writing over 0x0A0B0C
    } cases[] = {
        {"plain", a, b, false, false, 0x030201, 0x060504},
        {"reverse", a, b, true, false, 0x060504, 0x030201},
        {"mask paints white only", white, nearWhite, false, true, 0x112233, 0x0A0B0C},
        {"mask and reverse", white, nearWhite, true, true, 0x0A0B0C, 0x112233},
    };
    // FillPixels takes 0x00BBGGRR and writes blue, green, red, stopping after the count.
    uint8_t filled[7] = {0, 0, 0, 0, 0, 0, 99};
    FillPixels(filled, 0x00112233, 2);
    EXPECT_EQ(std::vector<uint8_t>(filled, filled + 7),
              std::vector<uint8_t>({0x11, 0x22, 0x33, 0x11, 0x22, 0x33, 99}));
    for (const Case& c : cases) {
        ImageBuffer image;
        MakePicture(&image, 2, 1);
        FillPixels(image.RowPtr(0), 0x0C0B0A, 2);  // red 0x0A, green 0x0B, blue 0x0C
        uint8_t src[6];
        std::memcpy(src, c.first, 3);
        std::memcpy(src + 3, c.second, 3);
        EXPECT_EQ(image.SetPixels(0, 1, 0, src, c.reverse, c.mask, 0x11, 0x22, 0x33), 1);
        EXPECT_EQ(PixelAt(image, 0, 0), c.expectFirst) << c.name;
        EXPECT_EQ(PixelAt(image, 1, 0), c.expectSecond) << c.name;
    }
}

TEST(ImageBufferTest, CopyRectDeliversBottomUpRowsWithoutOverrun) {
    ImageBuffer image;
    MakePicture(&image, 3, 3);
    for (int y = 0; y < 3; ++y) {
        FillPixels(image.RowPtr(y), 0x010101u * static_cast<uint32_t>(y + 1), 3);
    }
    // From pixel 1 of rows 0..5 (clipped to 2): rows 2, 1, 0, each 8 bytes at most: the row
    // has only 12 - 3 = 9 bytes from pixel 1 on, and the pitch of 8 limits it further.
    std::vector<uint8_t> out(3 * 8, 0xEE);
    image.CopyRect(1, 2, 0, 5, out.data(), 8);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[8], 2);
    EXPECT_EQ(out[16], 1);
    // A wide pitch copies up to the end of the stored row only (padding included).
    std::vector<uint8_t> wide(3 * 20, 0xEE);
    image.CopyRect(2, 2, 2, 2, wide.data(), 20);
    EXPECT_EQ(wide[0], 3);
    EXPECT_EQ(wide[5], 0);     // padding byte of the row
    EXPECT_EQ(wide[6], 0xEE);  // nothing copied past the row
}

// Pixels named by letters: a 24-bit pixel whose three bytes all equal the letter.
void Paint(ImageBuffer* image, const std::vector<std::string>& rows) {
    for (int y = 0; y < image->Height(); ++y) {
        for (int x = 0; x < image->Width(); ++x) {
            std::memset(image->RowPtr(y) + 3 * x, rows[y][x], 3);
        }
    }
}

std::vector<std::string> Letters(const ImageBuffer& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.Height(); ++y) {
        std::string row;
        for (int x = 0; x < image.Width(); ++x) {
            row.push_back(static_cast<char>(image.RowPtr(y)[3 * x]));
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(ImageBufferTest, RotatedTurnsSmallPictures) {
    using Rows = std::vector<std::string>;
    struct Case {
        Rows source;
        int angle;
        Rows expected;
    } cases[] = {
        {{"AB"}, 90, {"B", "A"}},
        {{"AB"}, -90, {"A", "B"}},
        {{"AB"}, 180, {"BA"}},
        {{"ABC", "DEF"}, 90, {"CF", "BE", "AD"}},
        {{"ABC", "DEF"}, -90, {"DA", "EB", "FC"}},
        {{"ABC", "DEF"}, 180, {"FED", "CBA"}},
    };
    for (const Case& c : cases) {
        ImageBuffer image;
        MakePicture(&image, static_cast<int>(c.source[0].size()),
                    static_cast<int>(c.source.size()));
        Paint(&image, c.source);
        std::unique_ptr<ImageBuffer> turned = image.Rotated(c.angle);
        ASSERT_NE(turned, nullptr);
        EXPECT_EQ(Letters(*turned), c.expected) << c.angle;
        EXPECT_EQ(Letters(image), c.source);  // the source is untouched
    }
    ImageBuffer image;
    MakePicture(&image, 2, 1);
    EXPECT_EQ(image.Rotated(45), nullptr);
}

TEST(ImageBufferTest, OneBitPicturesTurnLeftAndHalfButNotRight) {
    ImageBuffer image;
    MakePicture(&image, 3, 2, 1);
    // Row 0: 1 0 0; row 1: 1 1 0.
    image.RowPtr(0)[0] = 0x80;
    image.RowPtr(1)[0] = 0xC0;
    auto left = image.Rotated(90);
    ASSERT_NE(left, nullptr);
    ASSERT_EQ(left->Width(), 2);
    ASSERT_EQ(left->Height(), 3);
    // New row r = source column 2 - r, read top to bottom.
    EXPECT_EQ(left->RowPtr(0)[0] & 0xC0, 0x00);
    EXPECT_EQ(left->RowPtr(1)[0] & 0xC0, 0x40);
    EXPECT_EQ(left->RowPtr(2)[0] & 0xC0, 0xC0);
    auto half = image.Rotated(180);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->RowPtr(0)[0] & 0xE0, 0x60);
    EXPECT_EQ(half->RowPtr(1)[0] & 0xE0, 0x20);
    EXPECT_EQ(image.Rotated(-90), nullptr);
}

}  // namespace
}  // namespace imaging
