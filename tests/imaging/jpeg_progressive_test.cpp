// Progressive JPEGs at 1/8 keep only the coefficients that scale reads: held against the
// decode that keeps every coefficient, a memory limit, and broken and hostile files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jpeg_files.h"
#include "test_support.h"

namespace imaging {
namespace {

// A progressive picture with detail in every block (a gradient under a pattern that changes
// every few pixels), so that a lost scan, term or refinement bit shows at 1/8.
testing::JpegFile Progressive(int width = 320, int height = 240, int components = 3,
                              int lumaSampling = 2, int restartInterval = 0) {
    testing::JpegFile j(width, height, components, 92);
    j.progressive = true;
    j.lumaSampling = lumaSampling;
    j.restartInterval = restartInterval;
    j.sample = [width, height](int x, int y, int c) {
        const int bump = ((x / 5 + y / 3) % 4) * 24;
        return static_cast<uint8_t>((c == 0   ? x * 151 / width + bump
                                     : c == 1 ? y * 173 / height + bump / 2
                                              : 60 + ((x ^ y) & 63) + bump / 3) &
                                    0xFF);
    };
    return j;
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
    void Write(const std::string& path, const testing::JpegFile& j) {
        testing::WriteJpeg(plat::DeviceFs::ToHost(path), j);
    }
    // The rows delivered in full, or -1 when the header refuses the file.
    int Decode(const std::string& path, int boxWidth, int boxHeight, ImageBuffer* out,
               bool reduced = true) {
        SetJpegReducedTerms(reduced);
        return testing::DecodeJpeg(path, boxWidth, boxHeight, out);
    }
};

// At 1/8 a luminance pixel is its block's DC term and half-sampled chroma is made from 25 low
// terms: keeping exactly those gives the pixels of the full decode, also through restart
// markers and below 1/8; 2/8 reads every scan.
TEST_F(ProgressiveJpegTest, EighthScaleGivesThePixelsOfTheFullDecode) {
    struct Case {
        const char* name;
        testing::JpegFile file;
        int boxWidth, boxHeight;
    } cases[] = {
        {"grey", Progressive(320, 240, 1, 1), 40, 30},
        {"half-sampled chroma", Progressive(), 40, 30},
        {"half-sampled chroma below 1/8", Progressive(), 12, 9},
        {"full chroma, restarts", Progressive(200, 120, 3, 1, 3), 25, 15},
        {"half-sampled chroma, restarts", Progressive(200, 120, 3, 2, 2), 25, 15},
        {"quarter scale", Progressive(), 80, 60},
    };
    for (const Case& c : cases) {
        Write("\\p.jpg", c.file);
        ImageBuffer full, reduced;
        ASSERT_GT(Decode("\\p.jpg", c.boxWidth, c.boxHeight, &full, false), 0) << c.name;
        EXPECT_EQ(Decode("\\p.jpg", c.boxWidth, c.boxHeight, &reduced), full.Height()) << c.name;
        EXPECT_TRUE(testing::SamePixels(reduced, full)) << c.name;
    }
}

// Every coefficient of a 1200 x 1200 colour file takes over 4 MiB; the terms a thumbnail
// reads fit in 2 MiB.
TEST_F(ProgressiveJpegTest, ThumbnailsFitASmallMemoryLimit) {
    Write("\\big.jpg", Progressive(1200, 1200));
    ImageBuffer unlimited, limited;
    ASSERT_EQ(Decode("\\big.jpg", 150, 150, &unlimited), 150);
    SetJpegMemoryLimit(2L << 20);
    EXPECT_EQ(Decode("\\big.jpg", 150, 150, &limited), 150);
    EXPECT_TRUE(testing::SamePixels(limited, unlimited));
    EXPECT_EQ(Decode("\\big.jpg", 150, 150, &limited, false), -1);
}

// Broken progressive files: refused, or the rows the data holds, as the full decode does;
// never a crash. At 1/8 a grey file has nothing that shows after its DC scans.
TEST_F(ProgressiveJpegTest, BrokenFilesFailOrDecodeWhatTheyHold) {
    Write("\\w.jpg", Progressive(128, 96, 1, 1));
    const std::string whole = ReadBytes("\\w.jpg");
    const std::vector<size_t> at = ScanStarts(whole);
    // Grey: DC first, AC 1-5, AC 6-63, AC refined, DC refined, AC refined.
    ASSERT_EQ(at.size(), 7u);
    const auto scan = [&](int i) { return whole.substr(at[i], at[i + 1] - at[i]); };
    const std::string head = whole.substr(0, at[0]);
    const std::string end = whole.substr(at[6]);
    ImageBuffer expected;
    ASSERT_EQ(Decode("\\w.jpg", 16, 12, &expected), 12);
    std::string longHeader = whole;
    const size_t second = longHeader.find("\xFF\xDA", at[1]);
    longHeader.replace(second + 2, 2, "\xFF\xFF");
    std::string hugeClaim = whole;
    hugeClaim.replace(hugeClaim.find("\xFF\xC2") + 5, 4, "\x7F\xFF\x7F\xFF");
    Write("\\c.jpg", Progressive());
    const std::string colour = ReadBytes("\\c.jpg");
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;  // the header accepts the file
        bool same;   // the rows equal those of the whole file
    } cases[] = {
        {"only the DC scans", head + scan(0) + scan(4) + end, true, true},
        {"cut in the AC scans", whole.substr(0, (at[5] + at[6]) / 2), true, true},
        {"AC scans first", head + scan(2) + scan(0) + scan(1) + scan(4) + end, true, true},
        {"cut in the first scan", whole.substr(0, at[1] - 30), true, false},
        {"scan header past the end", longHeader, false, false},
        {"huge claimed size", hugeClaim, false, false},
        {"no scan at all", head + "\xFF\xD9", false, false},
        {"colour, cut in the AC scans", colour.substr(0, colour.size() * 2 / 3), true, false},
    };
    for (const Case& c : cases) {
        WriteBytes("\\b.jpg", c.bytes);
        ImageBuffer decoded;
        EXPECT_EQ(Decode("\\b.jpg", 16, 12, &decoded) >= 0, c.opens) << c.name;
        if (c.same) {
            EXPECT_TRUE(testing::SamePixels(decoded, expected)) << c.name;
        }
        EXPECT_EQ(Decode("\\b.jpg", 16, 12, &decoded, false) >= 0, c.opens) << c.name;
    }
}

}  // namespace
}  // namespace imaging
