#include "imaging/bmp_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "bmp_builder.h"
#include "test_support.h"

namespace imaging {
namespace {

using testing::BmpLayout;
using testing::BuildBmp;

class BmpReaderTest : public testing::DeviceRootTest {};

TEST_F(BmpReaderTest, RefusesWhatItCannotConvert) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    auto layout = [](auto change) {
        BmpLayout s;
        s.width = 2;
        s.height = 2;
        s.depth = 8;
        s.pixels.assign(8, 0);
        change(s);
        return BuildBmp(s);
    };
    std::string ba = layout([](BmpLayout&) {});
    ba[1] = 'A';
    std::vector<Case> cases = {
        {"starts with BA", ba},
        {"nine bytes", std::string("BM\0\0\0\0\0\0\0", 9)},
        {"header 108", layout([](BmpLayout& s) { s.infoSize = 108; })},
        {"header 124", layout([](BmpLayout& s) { s.infoSize = 124; })},
        {"header 16", layout([](BmpLayout& s) { s.infoSize = 16; })},
        {"header 66", layout([](BmpLayout& s) { s.infoSize = 66; })},
        {"depth 16", layout([](BmpLayout& s) { s.depth = 16; })},
        {"depth 32", layout([](BmpLayout& s) { s.depth = 32; })},
        {"depth 2", layout([](BmpLayout& s) { s.depth = 2; })},
        {"RLE8", layout([](BmpLayout& s) { s.compression = 1; })},
        {"bit fields", layout([](BmpLayout& s) { s.compression = 3; })},
        {"height 0", layout([](BmpLayout& s) { s.height = 0; })},
        {"top-down", layout([](BmpLayout& s) { s.height = -2; })},
        {"width 0", layout([](BmpLayout& s) { s.width = 0; })},
        {"width 40000", layout([](BmpLayout& s) { s.width = 40000; })},
        {"huge", layout([](BmpLayout& s) { s.width = 3000000, s.height = 2000000; })},
        {"info header cut short", layout([](BmpLayout& s) { s.truncateTo = 30; })},
    };
    for (const Case& c : cases) {
        WriteBytes("\\x.bmp", c.bytes);
        BmpReader reader;
        int w = -1, h = -1, d = -1;
        EXPECT_EQ(reader.Open("\\x.bmp", &w, &h, &d), 0) << c.name;
    }
    BmpReader reader;
    EXPECT_EQ(reader.Open("\\missing.bmp", nullptr, nullptr, nullptr), 0);
}

TEST_F(BmpReaderTest, AcceptsTheThreeHeaderForms) {
    for (int infoSize : {12, 40, 64}) {
        BmpLayout s;
        s.infoSize = infoSize;
        s.width = 2;
        s.height = 1;
        s.depth = 8;
        s.pixels = {3, 200, 0, 0};
        WriteBytes("\\x.bmp", BuildBmp(s));
        BmpReader reader;
        int w = 0, h = 0, d = 0;
        ASSERT_EQ(reader.Open("\\x.bmp", &w, &h, &d), 1) << infoSize;
        EXPECT_EQ(w, 2);
        EXPECT_EQ(h, 1);
        EXPECT_EQ(d, 8);
        ASSERT_EQ(reader.ReadPalette(256), 1);
        uint8_t row[8] = {};
        EXPECT_EQ(reader.ReadRow(row), 1);
        const uint8_t expected[6] = {3, 0x11, 0x22, 200, 0x11, 0x22};
        EXPECT_EQ(std::vector<uint8_t>(row, row + 6), std::vector<uint8_t>(expected, expected + 6))
            << infoSize;
    }
}

TEST_F(BmpReaderTest, RowsOfEveryDepth) {
    struct Case {
        const char* name;
        int depth, width;
        std::vector<uint8_t> pixels;  // one stored row
        uint32_t rawLength;
        std::vector<uint8_t> expected;  // bytes written, then the untouched sentinel
    } cases[] = {
        {"8-bit width 3",
         8,
         3,
         {0, 1, 2, 0},
         4,
         {0, 0x11, 0x22, 1, 0x11, 0x22, 2, 0x11, 0x22, 0xEE}},
        {"4-bit 0x1F", 4, 2, {0x1F, 0, 0, 0}, 4, {1, 0x11, 0x22, 15, 0x11, 0x22, 0xEE}},
        {"1-bit", 1, 3, {0xA0, 0, 0, 0}, 4, {1, 0x11, 0x22, 0, 0x11, 0x22, 1, 0x11, 0x22, 0xEE}},
        {"24-bit width 5",
         24,
         5,
         std::vector<uint8_t>(16, 7),
         16,
         {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 0xEE}},
    };
    for (const Case& c : cases) {
        BmpLayout s;
        s.width = c.width;
        s.depth = c.depth;
        s.pixels = c.pixels;
        WriteBytes("\\x.bmp", BuildBmp(s));
        BmpReader reader;
        ASSERT_EQ(reader.Open("\\x.bmp", nullptr, nullptr, nullptr), 1) << c.name;
        EXPECT_EQ(reader.RawRowLength(), c.rawLength) << c.name;
        if (c.depth <= 8) {
            reader.ReadPalette(1 << c.depth);
        }
        std::vector<uint8_t> row(40, 0xEE);
        EXPECT_EQ(reader.ReadRow(row.data()), 1) << c.name;
        row.resize(c.expected.size());
        EXPECT_EQ(row, c.expected) << c.name;
    }
}

TEST_F(BmpReaderTest, HonoursColourCountCorePaletteAndPixelOffset) {
    struct Case {
        const char* name;
        BmpLayout layout;
    };
    BmpLayout shortPalette;  // two entries, biClrUsed 2; index 2 lies outside: black
    shortPalette.depth = 8;
    shortPalette.width = 3;
    shortPalette.paletteEntries = 2;
    shortPalette.colourCount = 2;
    shortPalette.palette = {{10, 20, 30}, {40, 50, 60}};
    shortPalette.pixels = {1, 0, 2, 0};
    BmpLayout core = shortPalette;  // 3-byte entries, length implied by the pixel offset
    core.infoSize = 12;
    core.colourCount = 0;
    BmpLayout gap = shortPalette;  // unused bytes between the palette and the pixels
    gap.gap = 7;
    Case cases[] = {{"short palette", shortPalette}, {"core palette", core}, {"gap", gap}};
    const std::vector<uint8_t> expected = {40, 50, 60, 10, 20, 30, 0, 0, 0};
    for (const Case& c : cases) {
        WriteBytes("\\x.bmp", BuildBmp(c.layout));
        BmpReader reader;
        ASSERT_EQ(reader.Open("\\x.bmp", nullptr, nullptr, nullptr), 1) << c.name;
        reader.ReadPalette(256);
        std::vector<uint8_t> row(12, 0xEE);
        reader.ReadRow(row.data());
        row.resize(9);
        EXPECT_EQ(row, expected) << c.name;
    }
}

TEST_F(BmpReaderTest, ShortFileLeavesTheMissingRowsBlack) {
    BmpLayout s;
    s.width = 2;
    s.height = 3;
    s.depth = 24;
    s.pixels.assign(24, 9);
    std::string bytes = BuildBmp(s);
    bytes.resize(bytes.size() - 8);  // the last stored row (the top one) is missing
    WriteBytes("\\x.bmp", bytes);
    BmpReader reader;
    ASSERT_EQ(reader.Open("\\x.bmp", nullptr, nullptr, nullptr), 1);
    std::vector<uint8_t> row(8, 0xEE);
    EXPECT_EQ(reader.ReadRow(row.data()), 1);
    EXPECT_EQ(reader.ReadRow(row.data()), 1);
    EXPECT_EQ(reader.ReadRow(row.data()), 0);
    EXPECT_EQ(row, std::vector<uint8_t>(8, 0));

    s.depth = 8;
    s.pixels.assign(12, 1);
    bytes = BuildBmp(s);
    bytes.resize(bytes.size() - 6);  // half of the second row and the whole third row
    WriteBytes("\\y.bmp", bytes);
    ASSERT_EQ(reader.Open("\\y.bmp", nullptr, nullptr, nullptr), 1);
    reader.ReadPalette(256);
    std::vector<uint8_t> pixels(8, 0xEE);
    EXPECT_EQ(reader.ReadRow(pixels.data()), 1);
    EXPECT_EQ(reader.ReadRow(pixels.data()), 0);
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 6),
              std::vector<uint8_t>({1, 0x11, 0x22, 1, 0x11, 0x22}));
    EXPECT_EQ(reader.ReadRow(pixels.data()), 0);
    EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 6), std::vector<uint8_t>(6, 0));
}

}  // namespace
}  // namespace imaging
