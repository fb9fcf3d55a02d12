#include "imaging/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "jpeg_files.h"
#include "test_support.h"

namespace imaging {
namespace {

using testing::DecodeJpeg;
using testing::Dims;
using testing::JpegFile;
using testing::PixelAt;

class JpegCodecTest : public testing::DeviceRootTest {
  protected:
    void Write(const std::string& path, const JpegFile& j) {
        testing::WriteJpeg(plat::DeviceFs::ToHost(path), j);
    }
};

// Noise compresses badly, so a file cut in half still holds about half its rows.
JpegFile Noise(int width, int height) {
    JpegFile j(width, height, 3, 95);
    j.sample = [seed = 12345u](int, int, int) mutable {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 24);
    };
    return j;
}

// Sets the frame header's height and width (the first start-of-frame marker of any kind).
void ClaimSize(std::string* jpeg, int width, int height) {
    for (size_t i = 2; i + 9 < jpeg->size(); ++i) {
        const unsigned char m = static_cast<unsigned char>((*jpeg)[i + 1]);
        if ((*jpeg)[i] == '\xFF' && (m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC9)) {
            const char size[4] = {static_cast<char>(height >> 8), static_cast<char>(height),
                                  static_cast<char>(width >> 8), static_cast<char>(width)};
            jpeg->replace(i + 5, 4, size, 4);
            return;
        }
    }
    FAIL() << "no frame header";
}

// The smallest DCT scale whose picture covers the box fitted; beyond twice the box the adapter
// reduces below 1/8 to the file's size fitted into twice the box, rounded as every picture
// size is. Every row comes, each the average of the columns it covers: dark on the left,
// light on the right, as the file's ramp.
TEST_F(JpegCodecTest, OutputSizesAndRows) {
    struct Case {
        int width, height, boxWidth, boxHeight;
        const char* out;
        int components = 3;
        bool arithmetic = false;
        bool progressive = false;
    } cases[] = {
        {1600, 1200, 176, 220, "200x150"},          // fitted 176 x 132: 1/8 covers it
        {1600, 1200, 352, 440, "400x300"},          // fitted 352 x 264: 2/8
        {1200, 1600, 220, 176, "150x200"},          // turned box
        {400, 300, 176, 220, "200x150"},            // fitted 176 x 132: 4/8 (3/8 is 150 x 113)
        {100, 80, 176, 220, "100x80"},              // within the box: full size
        {1600, 1200, 0, 0, "1600x1200"},            // no box: full size
        {1000, 10, 80, 80, "125x2"},                // fitted 80 x 1
        {33, 17, 8, 8, "9x5"},                      // fitted 8 x 4: 1/8 gives 5 x 3, 2/8 9 x 5
        {64, 48, 64, 48, "64x48", 1, true},         // arithmetic coding
        {64, 48, 64, 48, "64x48", 3, false, true},  // progressive
        {6000, 4000, 176, 220, "352x235", 1},  // level 0: 1/8 is 750 x 500, twice the box 352 x 440
        {6000, 4000, 352, 440, "704x469", 1},  // level 1
        {6000, 4000, 528, 660, "750x500", 1},  // level 2: 1/8 fits twice the box
        {4000, 6000, 220, 176, "235x352", 1},  // turned box
        {3000, 40, 176, 220, "352x5", 1},      // a strip: 375 x 5 at 1/8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Dims(c.width, c.height) + " in " + Dims(c.boxWidth, c.boxHeight));
        JpegFile file(c.width, c.height, c.components);
        file.arithmetic = c.arithmetic;
        file.progressive = c.progressive;
        Write("\\a.jpg", file);
        int fw = 0, fh = 0, ow = c.boxWidth, oh = c.boxHeight, components = 0;
        ASSERT_EQ(GetJPGFileHeader("\\a.jpg", &fw, &fh, &ow, &oh, &components), 1);
        EXPECT_EQ(Dims(fw, fh), Dims(c.width, c.height));
        EXPECT_EQ(Dims(ow, oh), c.out);
        EXPECT_EQ(components, c.components);
        ImageBuffer decoded;
        testing::MakePicture(&decoded, ow, oh);
        int good = 0;
        for (int y = 0; y < oh; ++y) {
            good += GetJPGFileData(decoded.RowPtr(y));
        }
        EXPECT_EQ(good, oh);
        const uint8_t* middle = decoded.RowPtr(oh / 2);
        EXPECT_LT(middle[0], 20);
        EXPECT_GT(middle[3 * (ow - 1)], 235);
        EXPECT_NEAR(middle[3 * (ow / 2)], 128, 12);
        std::vector<uint8_t> past(3 * static_cast<size_t>(ow) + 4, 0xEE);
        EXPECT_EQ(GetJPGFileData(past.data()), 0);  // past the last row: black
        EXPECT_EQ(past[0], 0);
        CloseFile();
        CloseFile();  // a second close does nothing
    }
}

TEST_F(JpegCodecTest, RowsRoundTripWithinTolerance) {
    ImageBuffer original;
    testing::MakeGradient(&original, 37, 23);
    for (bool progressive : {false, true}) {
        ASSERT_EQ(WriteJpegFile("\\r.jpg", original, {95, progressive, false}), 1);
        ImageBuffer decoded;
        ASSERT_EQ(DecodeJpeg("\\r.jpg", 0, 0, &decoded), 23);
        ASSERT_EQ(Dims(decoded), "37x23");
        EXPECT_LE(testing::MaxDifference(original, decoded), 12) << progressive;
    }
}

// Grey arrives as three equal channels; CMYK is stored inverted (255 = no ink).
TEST_F(JpegCodecTest, GreyAndInvertedCmykBecomeBgr) {
    struct Case {
        int components;
        uint8_t cmyk[4];
        uint32_t rgb;  // 0x00RRGGBB at (4, 4)
    } cases[] = {
        {1, {}, 0x7F7F7F},                    // the ramp at x = 4 of 8: 4 x 255 / 8
        {4, {255, 255, 255, 255}, 0xFFFFFF},  // no ink: white
        {4, {255, 0, 255, 255}, 0xFF00FF},    // full magenta: green gone
        {4, {255, 255, 255, 0}, 0x000000},    // full black
        {4, {128, 255, 255, 255}, 0x80FFFF},  // half cyan
    };
    for (const Case& c : cases) {
        JpegFile file(8, 8, c.components, 100);
        file.progressive = c.components == 1;
        if (c.components == 4) {
            file.sample = [&c](int, int, int k) { return c.cmyk[k]; };
        }
        Write("\\c.jpg", file);
        ImageBuffer decoded;
        int components = 0;
        ASSERT_EQ(DecodeJpeg("\\c.jpg", 0, 0, &decoded, &components), 8);
        EXPECT_EQ(components, c.components);
        const uint32_t got = PixelAt(decoded, 4, 4);
        for (int shift : {0, 8, 16}) {
            EXPECT_NEAR((got >> shift) & 0xFF, (c.rgb >> shift) & 0xFF, 3)
                << std::hex << got << " vs " << c.rgb;
        }
    }
}

// Broken files fail or deliver rows without crashing; claims are judged against the
// compressed data the file holds, so neither comments nor arithmetic coding let a few
// kilobytes stand for billions of pixels.
TEST_F(JpegCodecTest, BrokenAndHostileFiles) {
    WriteGradient("\\t.jpg", 64, 48);
    const std::string whole = ReadBytes("\\t.jpg");
    // Damage only the entropy-coded data after the start-of-scan marker.
    const size_t scan = whole.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const size_t data = scan + 20;
    std::string flipped = whole, claim = whole;
    for (size_t i = data; i < flipped.size() - 2; i += 7) {
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    }
    ClaimSize(&claim, 16144, 32780);
    JpegFile arithmeticFile = Noise(64, 64);
    arithmeticFile.arithmetic = true;
    Write("\\a.jpg", arithmeticFile);
    std::string arithmetic = ReadBytes("\\a.jpg");
    ClaimSize(&arithmetic, 65500, 65500);
    JpegFile cmykFile(8, 8, 4, 100);
    cmykFile.sample = [](int, int, int k) { return static_cast<uint8_t>(k == 1 ? 0 : 255); };
    Write("\\c.jpg", cmykFile);
    const std::string cmyk = ReadBytes("\\c.jpg");
    // 4 MB of comments before the scan.
    std::string padded = cmyk;
    ClaimSize(&padded, 16144, 32780);
    const std::string comment = "\xFF\xFE\xFF\xFF" + std::string(0xFFFF - 2, 'c');
    for (int i = 0; i < 64; ++i) {
        padded.insert(padded.find("\xFF\xDA"), comment);
    }
    struct Case {
        const char* name;
        std::string bytes;
        int headerResult;
    } cases[] = {
        {"empty", "", 0},
        {"garbage", std::string(100, 'x'), 0},
        {"markers only", std::string("\xFF\xD8\xFF\xD9", 4), 0},
        {"headers only", whole.substr(0, data), 1},
        {"half the data", whole.substr(0, data + (whole.size() - data) / 2), 1},
        {"flipped bits", flipped, 1},
        {"a few hundred bytes claiming 16144 x 32780", claim, 0},
        {"arithmetic coding claiming 65500 x 65500", arithmetic, 0},
        {"CMYK claiming 16144 x 32780 behind comments", padded, 0},
        {"the same CMYK without the claim", cmyk, 1},
    };
    for (const Case& c : cases) {
        WriteBytes("\\b.jpg", c.bytes);
        int fw = -1, fh = -1, ow = 176, oh = 220;
        const int result = GetJPGFileHeader("\\b.jpg", &fw, &fh, &ow, &oh, nullptr);
        EXPECT_EQ(result, c.headerResult) << c.name;
        if (result) {
            std::vector<uint8_t> row(3 * static_cast<size_t>(ow) + 4);
            for (int y = 0; y < oh; ++y) {
                GetJPGFileData(row.data());
            }
        } else {
            EXPECT_EQ(Dims(fw, ow), "0x0") << c.name;
        }
        CloseFile();
    }
    int ow = 10, oh = 10;
    EXPECT_EQ(GetJPGFileHeader("\\missing.jpg", nullptr, nullptr, &ow, &oh, nullptr), 0);
    CloseFile();
}

// Where the compressed data ends, the picture ends: that row keeps what was decoded, and the
// rows below are black instead of being made up from nothing.
TEST_F(JpegCodecTest, RowsStopWhereTheDataEnds) {
    Write("\\n.jpg", Noise(256, 256));
    const std::string cut = ReadBytes("\\n.jpg").substr(0, ReadBytes("\\n.jpg").size() / 2);
    for (const std::string& bytes : {cut, cut + "\xFF\xD9"}) {
        SCOPED_TRACE(bytes.size());
        WriteBytes("\\h.jpg", bytes);
        ImageBuffer decoded;
        const int good = DecodeJpeg("\\h.jpg", 0, 0, &decoded);
        // About half the rows came from the data; noise is never one flat colour.
        EXPECT_GT(good, 64);
        EXPECT_LT(good, 224);
        EXPECT_NE(PixelAt(decoded, 10, good / 2), PixelAt(decoded, 11, good / 2));
        for (int y = good + 1; y < decoded.Height(); ++y) {
            ASSERT_EQ(PixelAt(decoded, 100, y), 0u) << "row " << y;
        }
    }
}

}  // namespace
}  // namespace imaging
