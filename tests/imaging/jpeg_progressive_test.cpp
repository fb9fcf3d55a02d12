// Progressive JPEGs at 1/8 scale are read from their DC scans alone; these tests hold that
// path against the decode of every scan, and against broken and hostile progressive files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "imaging/jpeg_codec.h"
#include "imaging/picture_writers.h"
#include "test_support.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imaging {
namespace {

using testing::MakePicture;

constexpr long kDefaultLimit = 384L << 20;

// A picture with detail in every block: a gradient under a pattern that changes every few
// pixels, so that a lost scan, coefficient or refinement bit shows in the 1/8-scale pixels.
void FillTextured(ImageBuffer* image) {
    for (int y = 0; y < image->Height(); ++y) {
        uint8_t* p = image->RowPtr(y);
        for (int x = 0; x < image->Width(); ++x, p += 3) {
            const int bump = ((x / 5 + y / 3) % 4) * 24;
            p[0] = static_cast<uint8_t>((x * 151 / image->Width() + bump) & 0xFF);
            p[1] = static_cast<uint8_t>((y * 173 / image->Height() + bump / 2) & 0xFF);
            p[2] = static_cast<uint8_t>(60 + ((x ^ y) & 63) + bump / 3);
        }
    }
}

// The scans of a JPEG: what precedes the first scan, each scan (the table segments before
// it, its header and its data), and the end-of-image marker.
struct Scans {
    std::string head;
    std::vector<std::string> scans;
    std::string tail;
    std::string Join() const {
        std::string s = head;
        for (const std::string& scan : scans) {
            s += scan;
        }
        return s + tail;
    }
};

Scans SplitScans(const std::string& jpeg) {
    Scans s;
    size_t at = jpeg.find("\xFF\xDA");
    s.head = jpeg.substr(0, at);
    size_t begin = at;
    bool afterData = false;
    while (at + 4 <= jpeg.size()) {
        const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xD9) {
            break;
        }
        if (afterData) {
            s.scans.push_back(jpeg.substr(begin, at - begin));
            begin = at;
        }
        afterData = marker == 0xDA;
        // Past the segment, and for a scan past its data, to the next marker that is neither
        // stuffing nor a restart marker.
        at += 2 + (static_cast<unsigned char>(jpeg[at + 2]) << 8 |
                   static_cast<unsigned char>(jpeg[at + 3]));
        while (afterData && at + 1 < jpeg.size() &&
               !(jpeg[at] == '\xFF' && jpeg[at + 1] != 0 &&
                 (static_cast<unsigned char>(jpeg[at + 1]) & 0xF8) != 0xD0)) {
            ++at;
        }
    }
    at = std::min(at, jpeg.size());
    s.scans.push_back(jpeg.substr(begin, at - begin));
    s.tail = jpeg.substr(at);
    return s;
}

// The first coefficient a scan carries (its spectral start): 0 for a DC scan.
int SpectralStart(const std::string& scan) {
    const size_t sos = scan.find("\xFF\xDA");
    const int components = static_cast<unsigned char>(scan[sos + 4]);
    return static_cast<unsigned char>(scan[sos + 5 + 2 * components]);
}

class ProgressiveJpegTest : public testing::DeviceRootTest {
  protected:
    void TearDown() override {
        SetJpegReducedTerms(true);
        SetJpegMemoryLimit(kDefaultLimit);
        testing::DeviceRootTest::TearDown();
    }

    void WriteTextured(const std::string& path, int width, int height, bool grayscale,
                       int quality = 60) {
        ImageBuffer image;
        MakePicture(&image, width, height);
        FillTextured(&image);
        JpegWriteOptions options;
        options.quality = quality;
        options.progressive = true;
        options.grayscale = grayscale;
        ASSERT_EQ(WriteJpegFile(path, image, options), 1);
    }

    // Opens the file for the box and reads every row. Returns the header's result; `good`
    // counts the rows delivered in full.
    int Decode(const std::string& path, int boxWidth, int boxHeight, ImageBuffer* out,
               int* good = nullptr) {
        int width = boxWidth, height = boxHeight;
        const int ok = GetJPGFileHeader(path, nullptr, nullptr, &width, &height, nullptr);
        int rows = 0;
        if (ok) {
            MakePicture(out, width, height);
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

    // The picture from every scan, for comparison.
    void DecodeEveryScan(const std::string& path, int boxWidth, int boxHeight, ImageBuffer* out) {
        SetJpegReducedTerms(false);
        ASSERT_EQ(Decode(path, boxWidth, boxHeight, out), 1);
        SetJpegReducedTerms(true);
    }
};

// At 1/8 a luminance pixel is its block's DC term, and half-sampled chroma is made from 25
// low terms: keeping exactly those gives the pixels of every scan.
TEST_F(ProgressiveJpegTest, EighthScaleMatchesTheDecodeOfEveryScan) {
    struct Case {
        const char* name;
        bool grayscale;
        int boxWidth, boxHeight;
    } cases[] = {
        {"grey", true, 40, 30},
        {"grey, reduced below 1/8", true, 12, 9},
        {"colour", false, 40, 30},
        {"colour, reduced below 1/8", false, 12, 9},
    };
    for (const Case& c : cases) {
        WriteTextured("\\p.jpg", 320, 240, c.grayscale);
        ImageBuffer everyScan, dcOnly;
        DecodeEveryScan("\\p.jpg", c.boxWidth, c.boxHeight, &everyScan);
        int good = 0;
        ASSERT_EQ(Decode("\\p.jpg", c.boxWidth, c.boxHeight, &dcOnly, &good), 1) << c.name;
        EXPECT_EQ(good, dcOnly.Height()) << c.name;
        ASSERT_EQ(dcOnly.Width(), everyScan.Width()) << c.name;
        ASSERT_EQ(dcOnly.Height(), everyScan.Height()) << c.name;
        EXPECT_TRUE(testing::SamePixels(dcOnly, everyScan)) << c.name;
    }
    // Larger scales need AC terms and read every scan: the same pixels either way.
    WriteTextured("\\p.jpg", 320, 240, false);
    ImageBuffer everyScan, quarter;
    DecodeEveryScan("\\p.jpg", 80, 60, &everyScan);
    ASSERT_EQ(Decode("\\p.jpg", 80, 60, &quarter), 1);
    EXPECT_TRUE(testing::SamePixels(quarter, everyScan));
}

// The whole coefficient buffer of a 1200 x 1200 colour file takes over 4 MiB; read from its
// DC scans the thumbnail fits in 1 MiB.
TEST_F(ProgressiveJpegTest, ThumbnailsFitASmallMemoryLimit) {
    WriteTextured("\\big.jpg", 1200, 1200, false);
    ImageBuffer unlimited;
    ASSERT_EQ(Decode("\\big.jpg", 150, 150, &unlimited), 1);
    SetJpegMemoryLimit(1L << 20);
    ImageBuffer limited;
    int good = 0;
    ASSERT_EQ(Decode("\\big.jpg", 150, 150, &limited, &good), 1);
    EXPECT_EQ(good, 150);
    EXPECT_TRUE(testing::SamePixels(limited, unlimited));
    SetJpegReducedTerms(false);
    EXPECT_EQ(Decode("\\big.jpg", 150, 150, &limited), 0);
}

// Broken progressive files: a clear refusal, or the rows the data holds, never a crash. At 1/8
// a grey file cut after its DC scans has lost nothing that shows.
TEST_F(ProgressiveJpegTest, BrokenFilesFailOrDecodeWhatTheyHold) {
    WriteTextured("\\w.jpg", 128, 96, true);
    const std::string whole = ReadBytes("\\w.jpg");
    const Scans scans = SplitScans(whole);
    ASSERT_GE(scans.scans.size(), 6u);
    ASSERT_EQ(scans.Join(), whole);
    ASSERT_EQ(SpectralStart(scans.scans[0]), 0);
    ASSERT_GT(SpectralStart(scans.scans[1]), 0);
    ImageBuffer expected;
    ASSERT_EQ(Decode("\\w.jpg", 16, 12, &expected), 1);

    // Everything after the last DC scan cut away.
    Scans dcOnly = scans;
    dcOnly.scans.clear();
    for (const std::string& scan : scans.scans) {
        if (SpectralStart(scan) == 0) {
            dcOnly.scans.push_back(scan);
        }
    }
    ASSERT_EQ(dcOnly.scans.size(), 2u);  // the first DC scan and its refinement
    const size_t lastDc = whole.find(dcOnly.scans[1]) + dcOnly.scans[1].size();
    // AC scans before the first DC scan.
    Scans early = scans;
    std::swap(early.scans[0], early.scans[1]);
    std::swap(early.scans[0], early.scans[2]);
    // A scan header whose length runs past the end of the file.
    std::string longHeader = whole;
    const size_t second = whole.find(scans.scans[1]) + scans.scans[1].find("\xFF\xDA");
    longHeader[second + 2] = '\xFF';
    longHeader[second + 3] = '\xFF';
    std::string hugeClaim = whole;
    const size_t frame = hugeClaim.find("\xFF\xC2");
    ASSERT_NE(frame, std::string::npos);
    hugeClaim.replace(frame + 5, 4, std::string("\x7F\xFF\x7F\xFF", 4));
    // A colour file cut in its AC scans: chroma keeps what arrived, luminance is whole.
    WriteTextured("\\c.jpg", 128, 96, false);
    const std::string colour = ReadBytes("\\c.jpg");
    struct Case {
        const char* name;
        std::string bytes;
        int header;  // the header's result
        bool same;   // the rows equal those of the whole file
    } cases[] = {
        {"only the DC scans", dcOnly.Join(), 1, true},
        {"cut in the AC scans", whole.substr(0, lastDc + 40), 1, true},
        {"cut in the first scan", whole.substr(0, whole.find(scans.scans[1]) - 30), 1, false},
        {"AC scans first", early.Join(), 1, true},
        {"scan header past the end", longHeader, 0, false},
        {"huge claimed size", hugeClaim, 0, false},
        {"no scan at all", scans.head + "\xFF\xD9", 0, false},
        {"colour, cut in the AC scans", colour.substr(0, colour.size() * 2 / 3), 1, false},
    };
    for (const Case& c : cases) {
        WriteBytes("\\b.jpg", c.bytes);
        ImageBuffer decoded;
        EXPECT_EQ(Decode("\\b.jpg", 16, 12, &decoded), c.header) << c.name;
        if (c.same) {
            EXPECT_TRUE(testing::SamePixels(decoded, expected)) << c.name;
        }
        // Reading every scan refuses the same files.
        SetJpegReducedTerms(false);
        EXPECT_EQ(Decode("\\b.jpg", 16, 12, &decoded), c.header) << c.name;
        SetJpegReducedTerms(true);
    }
}

// Restart markers inside the scans, with chroma sampled fully (every component one pixel a
// block at 1/8, all AC scans left out) and at half the height and width (2 x 2 chroma).
TEST_F(ProgressiveJpegTest, RestartMarkersKeepTheScansInStep) {
    for (const int lumaSampling : {1, 2}) {
        const std::string host = plat::DeviceFs::ToHost("\\r.jpg");
        std::FILE* f = std::fopen(host.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        jpeg_compress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        jpeg_stdio_dest(&cinfo, f);
        cinfo.image_width = 200;
        cinfo.image_height = 120;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 40, TRUE);
        cinfo.comp_info[0].h_samp_factor = lumaSampling;
        cinfo.comp_info[0].v_samp_factor = lumaSampling;
        jpeg_simple_progression(&cinfo);
        cinfo.restart_interval = 3;
        jpeg_start_compress(&cinfo, TRUE);
        std::vector<uint8_t> row(600);
        while (cinfo.next_scanline < cinfo.image_height) {
            for (int x = 0; x < 200; ++x) {
                const int v = (x * 7 + static_cast<int>(cinfo.next_scanline) * 13) % 256;
                row[3 * x] = static_cast<uint8_t>(v);
                row[3 * x + 1] = static_cast<uint8_t>(255 - v);
                row[3 * x + 2] = static_cast<uint8_t>((x / 9) * 20);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::fclose(f);
        ASSERT_NE(ReadBytes("\\r.jpg").find("\xFF\xD0"), std::string::npos);

        ImageBuffer everyScan, reduced;
        DecodeEveryScan("\\r.jpg", 25, 15, &everyScan);
        int good = 0;
        ASSERT_EQ(Decode("\\r.jpg", 25, 15, &reduced, &good), 1) << lumaSampling;
        EXPECT_EQ(good, 15) << lumaSampling;
        EXPECT_TRUE(testing::SamePixels(reduced, everyScan)) << lumaSampling;
    }
}

}  // namespace
}  // namespace imaging
