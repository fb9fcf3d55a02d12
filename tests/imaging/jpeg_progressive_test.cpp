// Progressive JPEGs at 1/8 keep only the coefficients that scale reads: held against the
// decode that keeps every coefficient, a memory limit, and broken and hostile files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "imaging/jpeg_codec.h"
#include "test_support.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imaging {
namespace {

struct Progressive {
    int width = 320;
    int height = 240;
    int components = 3;
    int lumaSampling = 2;  // 2: chroma at half the height and width; 1: full
    int restartInterval = 0;
};

// A picture with detail in every block (a gradient under a pattern that changes every few
// pixels), so that a lost scan, term or refinement bit shows at 1/8.
void WriteProgressive(const std::string& hostPath, const Progressive& p) {
    std::FILE* f = std::fopen(hostPath.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(p.width);
    cinfo.image_height = static_cast<JDIMENSION>(p.height);
    cinfo.input_components = p.components;
    cinfo.in_color_space = p.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 92, TRUE);
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = p.lumaSampling;
    cinfo.restart_interval = static_cast<unsigned>(p.restartInterval);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(p.width) * p.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < p.width; ++x) {
            const int bump = ((x / 5 + y / 3) % 4) * 24;
            for (int c = 0; c < p.components; ++c) {
                row[x * p.components + c] =
                    static_cast<uint8_t>((c == 0   ? x * 151 / p.width + bump
                                          : c == 1 ? y * 173 / p.height + bump / 2
                                                   : 60 + ((x ^ y) & 63) + bump / 3) &
                                         0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// Where each scan starts (with the table segments before it), and where the image ends.
std::vector<size_t> ScanStarts(const std::string& jpeg) {
    std::vector<size_t> starts;
    size_t at = jpeg.find("\xFF\xDA");
    bool afterData = false;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at + 1]) != 0xD9) {
        if (afterData || starts.empty()) {
            starts.push_back(at);
        }
        afterData = static_cast<unsigned char>(jpeg[at + 1]) == 0xDA;
        at += 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8 |
                   static_cast<unsigned char>(jpeg[at + 3]));
        // Past a scan's data: to the next marker that is neither stuffing nor a restart.
        while (afterData && at + 1 < jpeg.size() &&
               !(jpeg[at] == '\xFF' && jpeg[at + 1] != 0 &&
                 (static_cast<unsigned char>(jpeg[at + 1]) & 0xF8) != 0xD0)) {
            ++at;
        }
    }
    starts.push_back(at);
    return starts;
}

class ProgressiveJpegTest : public testing::DeviceRootTest {
  protected:
    void TearDown() override {
        SetJpegReducedTerms(true);
        SetJpegMemoryLimit(384L << 20);
        testing::DeviceRootTest::TearDown();
    }
    void Write(const std::string& path, const Progressive& p) {
        WriteProgressive(plat::DeviceFs::ToHost(path), p);
    }
    // Opens the file for the box and reads every row: the header's result; `good` counts the
    // rows delivered in full.
    int Decode(const std::string& path, int boxWidth, int boxHeight, ImageBuffer* out,
               bool reduced = true, int* good = nullptr) {
        SetJpegReducedTerms(reduced);
        int width = boxWidth, height = boxHeight, rows = 0;
        const int ok = GetJPGFileHeader(path, nullptr, nullptr, &width, &height, nullptr);
        if (ok) {
            testing::MakePicture(out, width, height);
            for (int y = 0; y < height; ++y) {
                rows += GetJPGFileData(out->RowPtr(y));
            }
        }
        CloseFile();
        if (good) {
            *good = rows;
        }
        return ok;
    }
};

// At 1/8 a luminance pixel is its block's DC term and half-sampled chroma is made from 25 low
// terms: keeping exactly those gives the pixels of the full decode, also through restart
// markers and below 1/8; 2/8 reads every scan.
TEST_F(ProgressiveJpegTest, EighthScaleGivesThePixelsOfTheFullDecode) {
    struct Case {
        const char* name;
        Progressive file;
        int boxWidth, boxHeight;
    } cases[] = {
        {"grey", {320, 240, 1, 1, 0}, 40, 30},
        {"half-sampled chroma", {320, 240, 3, 2, 0}, 40, 30},
        {"half-sampled chroma below 1/8", {320, 240, 3, 2, 0}, 12, 9},
        {"full chroma, restarts", {200, 120, 3, 1, 3}, 25, 15},
        {"half-sampled chroma, restarts", {200, 120, 3, 2, 2}, 25, 15},
        {"quarter scale", {320, 240, 3, 2, 0}, 80, 60},
    };
    for (const Case& c : cases) {
        Write("\\p.jpg", c.file);
        ImageBuffer full, reduced;
        ASSERT_EQ(Decode("\\p.jpg", c.boxWidth, c.boxHeight, &full, false), 1) << c.name;
        int good = 0;
        ASSERT_EQ(Decode("\\p.jpg", c.boxWidth, c.boxHeight, &reduced, true, &good), 1) << c.name;
        EXPECT_EQ(good, reduced.Height()) << c.name;
        EXPECT_TRUE(testing::SamePixels(reduced, full)) << c.name;
    }
}

// Every coefficient of a 1200 x 1200 colour file takes over 4 MiB; the terms a thumbnail
// reads fit in 2 MiB.
TEST_F(ProgressiveJpegTest, ThumbnailsFitASmallMemoryLimit) {
    Write("\\big.jpg", {1200, 1200});
    ImageBuffer unlimited, limited;
    ASSERT_EQ(Decode("\\big.jpg", 150, 150, &unlimited), 1);
    SetJpegMemoryLimit(2L << 20);
    int good = 0;
    ASSERT_EQ(Decode("\\big.jpg", 150, 150, &limited, true, &good), 1);
    EXPECT_EQ(good, 150);
    EXPECT_TRUE(testing::SamePixels(limited, unlimited));
    EXPECT_EQ(Decode("\\big.jpg", 150, 150, &limited, false), 0);
}

// Broken progressive files: refused, or the rows the data holds, as the full decode does;
// never a crash. At 1/8 a grey file has nothing that shows after its DC scans.
TEST_F(ProgressiveJpegTest, BrokenFilesFailOrDecodeWhatTheyHold) {
    Write("\\w.jpg", {128, 96, 1, 1, 0});
    const std::string whole = ReadBytes("\\w.jpg");
    const std::vector<size_t> at = ScanStarts(whole);
    // Grey: DC first, AC 1-5, AC 6-63, AC refined, DC refined, AC refined.
    ASSERT_EQ(at.size(), 7u);
    const auto scan = [&](int i) { return whole.substr(at[i], at[i + 1] - at[i]); };
    const std::string head = whole.substr(0, at[0]);
    const std::string end = whole.substr(at[6]);
    ImageBuffer expected;
    ASSERT_EQ(Decode("\\w.jpg", 16, 12, &expected), 1);
    std::string longHeader = whole;
    const size_t second = longHeader.find("\xFF\xDA", at[1]);
    longHeader.replace(second + 2, 2, "\xFF\xFF");
    std::string hugeClaim = whole;
    hugeClaim.replace(hugeClaim.find("\xFF\xC2") + 5, 4, "\x7F\xFF\x7F\xFF");
    Write("\\c.jpg", {});
    const std::string colour = ReadBytes("\\c.jpg");
    struct Case {
        const char* name;
        std::string bytes;
        int header;  // the header's result
        bool same;   // the rows equal those of the whole file
    } cases[] = {
        {"only the DC scans", head + scan(0) + scan(4) + end, 1, true},
        {"cut in the AC scans", whole.substr(0, (at[5] + at[6]) / 2), 1, true},
        {"AC scans first", head + scan(2) + scan(0) + scan(1) + scan(4) + end, 1, true},
        {"cut in the first scan", whole.substr(0, at[1] - 30), 1, false},
        {"scan header past the end", longHeader, 0, false},
        {"huge claimed size", hugeClaim, 0, false},
        {"no scan at all", head + "\xFF\xD9", 0, false},
        {"colour, cut in the AC scans", colour.substr(0, colour.size() * 2 / 3), 1, false},
    };
    for (const Case& c : cases) {
        WriteBytes("\\b.jpg", c.bytes);
        ImageBuffer decoded;
        EXPECT_EQ(Decode("\\b.jpg", 16, 12, &decoded), c.header) << c.name;
        if (c.same) {
            EXPECT_TRUE(testing::SamePixels(decoded, expected)) << c.name;
        }
        EXPECT_EQ(Decode("\\b.jpg", 16, 12, &decoded, false), c.header) << c.name;
    }
}

}  // namespace
}  // namespace imaging
