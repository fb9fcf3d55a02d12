#include "imaging/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/picture_writers.h"
#include "test_support.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imaging {
namespace {

using testing::FillGradient;
using testing::MakePicture;

class JpegCodecTest : public testing::DeviceRootTest {
  protected:
    void WriteGradientJpeg(const std::string& path, int width, int height,
                           JpegWriteOptions options = JpegWriteOptions{}) {
        ImageBuffer image;
        MakePicture(&image, width, height);
        FillGradient(&image);
        ASSERT_EQ(WriteJpegFile(path, image, options), 1);
    }
    // Decodes every row of the open file into a picture of the returned size.
    void ReadAll(int width, int height, ImageBuffer* out) {
        MakePicture(out, width, height);
        for (int y = 0; y < height; ++y) {
            GetJPGFileData(out->RowPtr(y));
        }
    }
};

// Writes a JPEG row by row with libjpeg directly (no picture in memory, so camera sizes stay
// cheap): grey levels rising from left to right, noise that compresses badly, or one flat CMYK
// colour (libjpeg marks CMYK files as Adobe's, whose values are stored inverted: 255 = no ink).
struct StreamedJpeg {
    int width = 0;
    int height = 0;
    bool arithmetic = false;
    bool noise = false;
    int components = 1;
    const uint8_t* cmyk = nullptr;  // with four components
};
void WriteStreamedJpeg(const std::string& hostPath, const StreamedJpeg& j) {
    std::FILE* f = std::fopen(hostPath.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(j.width);
    cinfo.image_height = static_cast<JDIMENSION>(j.height);
    cinfo.input_components = j.components;
    cinfo.in_color_space = j.cmyk ? JCS_CMYK : j.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, j.cmyk ? 100 : j.noise ? 95 : 50, TRUE);
    cinfo.arith_code = j.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(j.width) * j.components);
    uint32_t seed = 12345;
    while (cinfo.next_scanline < cinfo.image_height) {
        for (size_t i = 0; i < row.size(); ++i) {
            seed = seed * 1103515245u + 12345u;
            row[i] = j.cmyk    ? j.cmyk[i % 4]
                     : j.noise ? static_cast<uint8_t>(seed >> 24)
                               : static_cast<uint8_t>(i / j.components * 255 / j.width);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// Sets the frame header's height and width (the first start-of-frame marker of any kind).
void ClaimSize(std::string* jpeg, int width, int height) {
    for (size_t i = 2; i + 9 < jpeg->size(); ++i) {
        const unsigned char m = static_cast<unsigned char>((*jpeg)[i + 1]);
        if ((*jpeg)[i] == '\xFF' && (m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC9)) {
            (*jpeg)[i + 5] = static_cast<char>(height >> 8);
            (*jpeg)[i + 6] = static_cast<char>(height & 0xFF);
            (*jpeg)[i + 7] = static_cast<char>(width >> 8);
            (*jpeg)[i + 8] = static_cast<char>(width & 0xFF);
            return;
        }
    }
    FAIL() << "no frame header";
}

TEST_F(JpegCodecTest, ChoosesTheSmallestCoveringScale) {
    struct Case {
        int width, height, boxWidth, boxHeight, outWidth, outHeight;
    } cases[] = {
        {1600, 1200, 176, 220, 200, 150},  // fitted 176 x 132: 1/8 covers it
        {1600, 1200, 352, 440, 400, 300},  // fitted 352 x 264: 2/8
        {1200, 1600, 220, 176, 150, 200},  // turned box
        {400, 300, 176, 220, 200, 150},    // fitted 176 x 132: 4/8 (3/8 is 150 x 113)
        {100, 80, 176, 220, 100, 80},      // within the box: full size
        {1600, 1200, 0, 0, 1600, 1200},    // no box: full size
        {1000, 10, 80, 80, 125, 2},        // fitted 80 x 1
        {33, 17, 8, 8, 9, 5},              // fitted 8 x 4: 1/8 gives 5 x 3, 2/8 9 x 5
    };
    for (const Case& c : cases) {
        WriteGradientJpeg("\\a.jpg", c.width, c.height);
        int fw = 0, fh = 0, ow = c.boxWidth, oh = c.boxHeight, components = 0;
        ASSERT_EQ(GetJPGFileHeader("\\a.jpg", &fw, &fh, &ow, &oh, &components), 1);
        EXPECT_EQ(fw, c.width);
        EXPECT_EQ(fh, c.height);
        EXPECT_EQ(ow, c.outWidth) << c.width << "x" << c.height << " in " << c.boxWidth;
        EXPECT_EQ(oh, c.outHeight) << c.width << "x" << c.height << " in " << c.boxWidth;
        EXPECT_EQ(components, 3);
        CloseFile();
    }
}

TEST_F(JpegCodecTest, RowsRoundTripWithinTolerance) {
    struct Case {
        const char* name;
        JpegWriteOptions options;
    } cases[] = {{"baseline", {95, false, false}}, {"progressive", {95, true, false}}};
    ImageBuffer original;
    MakePicture(&original, 37, 23);
    FillGradient(&original);
    for (const Case& c : cases) {
        ASSERT_EQ(WriteJpegFile("\\r.jpg", original, c.options), 1);
        int ow = 0, oh = 0;
        ASSERT_EQ(GetJPGFileHeader("\\r.jpg", nullptr, nullptr, &ow, &oh, nullptr), 1);
        ASSERT_EQ(ow, 37);
        ASSERT_EQ(oh, 23);
        ImageBuffer decoded;
        ReadAll(ow, oh, &decoded);
        EXPECT_LE(testing::MaxDifference(original, decoded), 12) << c.name;
        uint8_t extra[3 * 37 + 4];
        std::memset(extra, 0xEE, sizeof extra);
        EXPECT_EQ(GetJPGFileData(extra), 0);  // past the last row: black
        EXPECT_EQ(extra[0], 0);
        CloseFile();
        CloseFile();  // a second close does nothing
    }
}

// Written progressive and grey, read back as three equal channels.
TEST_F(JpegCodecTest, GrayscaleArrivesAsBgr) {
    WriteGradientJpeg("\\g.jpg", 16, 16, {90, true, true});
    int ow = 0, oh = 0, components = 0;
    ASSERT_EQ(GetJPGFileHeader("\\g.jpg", nullptr, nullptr, &ow, &oh, &components), 1);
    EXPECT_EQ(components, 1);
    ImageBuffer decoded;
    ReadAll(ow, oh, &decoded);
    CloseFile();
    const uint8_t* p = decoded.RowPtr(8) + 3 * 8;
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
    EXPECT_GT(p[0], 0);
}

TEST_F(JpegCodecTest, InvertedCmykBecomesBgr) {
    struct Case {
        uint8_t cmyk[4];
        uint32_t rgb;  // 0x00RRGGBB
    } cases[] = {
        {{255, 255, 255, 255}, 0xFFFFFF},  // no ink: white
        {{255, 0, 255, 255}, 0xFF00FF},    // full magenta: green gone
        {{255, 255, 255, 0}, 0x000000},    // full black
        {{128, 255, 255, 255}, 0x80FFFF},  // half cyan
    };
    for (const Case& c : cases) {
        WriteStreamedJpeg(plat::DeviceFs::ToHost("\\c.jpg"), {8, 8, false, false, 4, c.cmyk});
        int ow = 0, oh = 0, components = 0;
        ASSERT_EQ(GetJPGFileHeader("\\c.jpg", nullptr, nullptr, &ow, &oh, &components), 1);
        EXPECT_EQ(components, 4);
        ImageBuffer decoded;
        ReadAll(ow, oh, &decoded);
        CloseFile();
        const uint32_t got = testing::PixelAt(decoded, 4, 4);
        for (int shift : {0, 8, 16}) {
            const int a = (got >> shift) & 0xFF, b = (c.rgb >> shift) & 0xFF;
            EXPECT_NEAR(a, b, 3) << std::hex << got << " vs " << c.rgb;
        }
    }
}

TEST_F(JpegCodecTest, BrokenFilesFailOrDeliverRowsWithoutCrashing) {
    WriteGradientJpeg("\\t.jpg", 64, 48);
    const std::string whole = ReadBytes("\\t.jpg");
    // Damage only the entropy-coded data after the start-of-scan marker.
    const size_t scan = whole.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const size_t data = scan + 20;
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
        {"flipped bits",
         [&] {
             std::string b = whole;
             for (size_t i = data; i < b.size() - 2; i += 7) {
                 b[i] = static_cast<char>(b[i] ^ 0x5A);
             }
             return b;
         }(),
         1},
    };
    for (const Case& c : cases) {
        WriteBytes("\\b.jpg", c.bytes);
        int fw = -1, fh = -1, ow = 64, oh = 48;
        const int result = GetJPGFileHeader("\\b.jpg", &fw, &fh, &ow, &oh, nullptr);
        EXPECT_EQ(result, c.headerResult) << c.name;
        if (result) {
            ImageBuffer decoded;
            ReadAll(ow, oh, &decoded);
        } else {
            EXPECT_EQ(fw, 0) << c.name;
            EXPECT_EQ(ow, 0) << c.name;
        }
        CloseFile();
    }
    // A few hundred bytes claiming 16144 x 32780 pixels cannot hold the picture: refused
    // rather than padded row by row.
    std::string claim = whole;
    ClaimSize(&claim, 16144, 32780);
    WriteBytes("\\claim.jpg", claim);
    int ow = 10, oh = 10;
    EXPECT_EQ(GetJPGFileHeader("\\claim.jpg", nullptr, nullptr, &ow, &oh, nullptr), 0);
    CloseFile();
    EXPECT_EQ(GetJPGFileHeader("\\missing.jpg", nullptr, nullptr, &ow, &oh, nullptr), 0);
    CloseFile();
}

// Beyond twice the box the adapter reduces below the DCT's 1/8: the file's size fitted into
// twice the box, rounded as every picture size is.
TEST_F(JpegCodecTest, ReducesBelowTheSmallestScaleToTwiceTheBox) {
    struct Case {
        int width, height, boxWidth, boxHeight, outWidth, outHeight;
        bool arithmetic = false;
    } cases[] = {
        {64, 48, 64, 48, 64, 48, true},    // arithmetic coding, within the box: full size
        {6000, 4000, 176, 220, 352, 235},  // level 0: 1/8 is 750 x 500, twice the box 352 x 440
        {6000, 4000, 352, 440, 704, 469},  // level 1
        {6000, 4000, 528, 660, 750, 500},  // level 2: 1/8 fits twice the box
        {4000, 6000, 220, 176, 235, 352},  // turned box
        {3000, 40, 176, 220, 352, 5},      // a strip: 375 x 5 at 1/8
    };
    for (const Case& c : cases) {
        WriteStreamedJpeg(plat::DeviceFs::ToHost("\\big.jpg"), {c.width, c.height, c.arithmetic});
        int fw = 0, fh = 0, ow = c.boxWidth, oh = c.boxHeight;
        ASSERT_EQ(GetJPGFileHeader("\\big.jpg", &fw, &fh, &ow, &oh, nullptr), 1);
        EXPECT_EQ(fw, c.width);
        EXPECT_EQ(fh, c.height);
        EXPECT_EQ(ow, c.outWidth) << c.width << "x" << c.height << " in " << c.boxWidth;
        EXPECT_EQ(oh, c.outHeight) << c.width << "x" << c.height << " in " << c.boxWidth;
        // Exactly that many rows come, each the average of the columns it covers: dark on
        // the left, light on the right, as the file.
        ImageBuffer decoded;
        MakePicture(&decoded, ow, oh);
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
        EXPECT_EQ(GetJPGFileData(past.data()), 0);
        EXPECT_EQ(past[0], 0);
        CloseFile();
    }
}

// Claims judged against the compressed data the file holds: neither comments nor arithmetic
// coding let a few kilobytes stand for billions of pixels.
TEST_F(JpegCodecTest, ClaimsLargerThanTheScanDataAreRefused) {
    // A few kilobytes of arithmetic-coded data claiming 65500 x 65500.
    WriteStreamedJpeg(plat::DeviceFs::ToHost("\\a.jpg"), {64, 64, true, true});
    std::string arithmetic = ReadBytes("\\a.jpg");
    ClaimSize(&arithmetic, 65500, 65500);
    WriteBytes("\\a.jpg", arithmetic);
    int ow = 176, oh = 220;
    EXPECT_EQ(GetJPGFileHeader("\\a.jpg", nullptr, nullptr, &ow, &oh, nullptr), 0);
    CloseFile();

    // A CMYK file claiming 16144 x 32780, padded with 4 MB of comments before its scan.
    const uint8_t ink[4] = {255, 0, 255, 255};
    WriteStreamedJpeg(plat::DeviceFs::ToHost("\\c.jpg"), {8, 8, false, false, 4, ink});
    std::string cmyk = ReadBytes("\\c.jpg");
    ClaimSize(&cmyk, 16144, 32780);
    std::string comment = "\xFF\xFE\xFF\xFF" + std::string(0xFFFF - 2, 'c');
    std::string padding;
    for (int i = 0; i < 64; ++i) {
        padding += comment;
    }
    cmyk.insert(cmyk.find("\xFF\xDA"), padding);
    WriteBytes("\\c.jpg", cmyk);
    ow = 176, oh = 220;
    EXPECT_EQ(GetJPGFileHeader("\\c.jpg", nullptr, nullptr, &ow, &oh, nullptr), 0);
    CloseFile();

    // The same data without the claim is a picture.
    WriteStreamedJpeg(plat::DeviceFs::ToHost("\\c.jpg"), {8, 8, false, false, 4, ink});
    ow = 176, oh = 220;
    EXPECT_EQ(GetJPGFileHeader("\\c.jpg", nullptr, nullptr, &ow, &oh, nullptr), 1);
    CloseFile();
}

// Where the compressed data ends, the picture ends: that row keeps what was decoded, and the
// rows below are black instead of being made up from nothing.
TEST_F(JpegCodecTest, RowsStopWhereTheDataEnds) {
    WriteStreamedJpeg(plat::DeviceFs::ToHost("\\n.jpg"), {256, 256, false, true, 3});
    const std::string whole = ReadBytes("\\n.jpg");
    const std::string cut = whole.substr(0, whole.size() / 2);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {{"cut short", cut}, {"cut, then the end marker", cut + "\xFF\xD9"}};
    for (const Case& c : cases) {
        WriteBytes("\\h.jpg", c.bytes);
        int ow = 0, oh = 0;
        ASSERT_EQ(GetJPGFileHeader("\\h.jpg", nullptr, nullptr, &ow, &oh, nullptr), 1) << c.name;
        ImageBuffer decoded;
        MakePicture(&decoded, ow, oh);
        int good = 0;
        for (int y = 0; y < oh; ++y) {
            good += GetJPGFileData(decoded.RowPtr(y));
        }
        CloseFile();
        // About half the rows came from the data; noise is never one flat colour.
        EXPECT_GT(good, 64) << c.name;
        EXPECT_LT(good, 224) << c.name;
        EXPECT_NE(testing::PixelAt(decoded, 10, good / 2), testing::PixelAt(decoded, 11, good / 2));
        for (int y = good + 1; y < oh; ++y) {
            ASSERT_EQ(testing::PixelAt(decoded, 100, y), 0u) << c.name << " row " << y;
        }
    }
}

}  // namespace
}  // namespace imaging
