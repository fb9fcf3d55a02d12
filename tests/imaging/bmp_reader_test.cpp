#include "imaging/bmp_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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

// Bytes as hex pairs, so a row and the sentinel after it read as one value.
std::string Hex(const uint8_t* bytes, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        out += pair;
    }
    return out;
}

// Palette entries the builder writes are (index, 0x11, 0x22) unless given.
TEST_F(BmpReaderTest, RowsOfEveryDepthAndHeaderForm) {
    struct Case {
        int infoSize, depth, width;
        std::vector<uint8_t> pixels;  // one stored row
        uint32_t rawLength;
        const char* expected;  // bytes written, then the untouched sentinel
    } cases[] = {
        {12, 8, 2, {3, 200, 0, 0}, 4, "03 11 22 C8 11 22 EE"},
        {40, 8, 2, {3, 200, 0, 0}, 4, "03 11 22 C8 11 22 EE"},
        {64, 8, 2, {3, 200, 0, 0}, 4, "03 11 22 C8 11 22 EE"},
        {40, 8, 3, {0, 1, 2, 0}, 4, "00 11 22 01 11 22 02 11 22 EE"},
        {40, 4, 2, {0x1F, 0, 0, 0}, 4, "01 11 22 0F 11 22 EE"},
        {40, 1, 3, {0xA0, 0, 0, 0}, 4, "01 11 22 00 11 22 01 11 22 EE"},
        {40, 24, 5, std::vector<uint8_t>(16, 7), 16,
         "07 07 07 07 07 07 07 07 07 07 07 07 07 07 07 07 EE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.infoSize) + " " + std::to_string(c.depth));
        BmpLayout s;
        s.infoSize = c.infoSize;
        s.width = c.width;
        s.depth = c.depth;
        s.pixels = c.pixels;
        WriteBytes("\\x.bmp", BuildBmp(s));
        BmpReader reader;
        int w = 0, h = 0, d = 0;
        ASSERT_EQ(reader.Open("\\x.bmp", &w, &h, &d), 1);
        EXPECT_EQ(testing::Dims(w, h) + "x" + std::to_string(d),
                  testing::Dims(c.width, 1) + "x" + std::to_string(c.depth));
        EXPECT_EQ(reader.RawRowLength(), c.rawLength);
        if (c.depth <= 8) {
            ASSERT_EQ(reader.ReadPalette(256), 1);
        }
        std::vector<uint8_t> row(40, 0xEE);
        EXPECT_EQ(reader.ReadRow(row.data()), 1);
        EXPECT_EQ(Hex(row.data(), (std::strlen(c.expected) + 1) / 3), c.expected);
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
    for (const Case& c : cases) {
        WriteBytes("\\x.bmp", BuildBmp(c.layout));
        BmpReader reader;
        ASSERT_EQ(reader.Open("\\x.bmp", nullptr, nullptr, nullptr), 1) << c.name;
        reader.ReadPalette(256);
        uint8_t row[12];
        std::memset(row, 0xEE, sizeof row);
        reader.ReadRow(row);
        EXPECT_EQ(Hex(row, 10), "28 32 3C 0A 14 1E 00 00 00 EE") << c.name;
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
    uint8_t row[8];
    std::memset(row, 0xEE, sizeof row);
    EXPECT_EQ(reader.ReadRow(row), 1);
    EXPECT_EQ(reader.ReadRow(row), 1);
    EXPECT_EQ(reader.ReadRow(row), 0);
    EXPECT_EQ(Hex(row, 8), "00 00 00 00 00 00 00 00");

    s.depth = 8;
    s.pixels.assign(12, 1);
    bytes = BuildBmp(s);
    bytes.resize(bytes.size() - 6);  // half of the second row and the whole third row
    WriteBytes("\\y.bmp", bytes);
    ASSERT_EQ(reader.Open("\\y.bmp", nullptr, nullptr, nullptr), 1);
    reader.ReadPalette(256);
    EXPECT_EQ(reader.ReadRow(row), 1);
    EXPECT_EQ(reader.ReadRow(row), 0);
    EXPECT_EQ(Hex(row, 6), "01 11 22 01 11 22");
    EXPECT_EQ(reader.ReadRow(row), 0);
    EXPECT_EQ(Hex(row, 6), "00 00 00 00 00 00");
}

}  // namespace
}  // namespace imaging
