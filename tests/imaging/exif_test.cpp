// Camera pictures upright: the EXIF orientation reader against well-formed and hostile
// files, and all eight orientations of real camera files against the upright one.
#include "imaging/exif.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "imaging/exif_turn.h"
#include "imaging/loaders.h"
#include "test_support.h"

namespace imaging {
namespace {

namespace fs = std::filesystem;

// A JPEG head: SOI, then an APP1 "Exif" segment holding `tiff`, then SOS.
std::string JpegWithTiff(const std::string& tiff, const std::string& before = "") {
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const size_t length = payload.size() + 2;
    std::string jpeg = "\xFF\xD8" + before;
    jpeg += "\xFF\xE1";
    jpeg += static_cast<char>(length >> 8);
    jpeg += static_cast<char>(length & 0xFF);
    jpeg += payload;
    jpeg += "\xFF\xDA";
    return jpeg;
}

void Put16(std::string* s, unsigned v, bool little) {
    *s += little ? static_cast<char>(v & 0xFF) : static_cast<char>(v >> 8);
    *s += little ? static_cast<char>(v >> 8) : static_cast<char>(v & 0xFF);
}

void Put32(std::string* s, uint32_t v, bool little) {
    Put16(s, little ? v & 0xFFFF : v >> 16, little);
    Put16(s, little ? v >> 16 : v & 0xFFFF, little);
}

// A TIFF structure whose first directory holds the entries (tag, type, count, value).
struct Entry {
    unsigned tag, type;
    uint32_t count;
    unsigned value;
};
std::string Tiff(bool little, const std::vector<Entry>& entries, uint32_t ifdOffset = 8,
                 int claimedCount = -1) {
    std::string t = little ? "II" : "MM";
    Put16(&t, 42, little);
    Put32(&t, ifdOffset, little);
    Put16(&t, claimedCount >= 0 ? static_cast<unsigned>(claimedCount) : entries.size(), little);
    for (const Entry& e : entries) {
        Put16(&t, e.tag, little);
        Put16(&t, e.type, little);
        Put32(&t, e.count, little);
        Put16(&t, e.value, little);
        Put16(&t, 0, little);
    }
    Put32(&t, 8, little);  // a next directory pointing back at the first: never followed
    return t;
}

int Orientation(const std::string& jpeg) {
    return ExifOrientationOfJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
}

TEST(ExifReader, ReadsTheTagInBothByteOrdersAfterOtherSegmentsAndEntries) {
    const std::string jfif("\xFF\xE0\x00\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 18);
    for (bool little : {true, false}) {
        for (unsigned v = 1; v <= 8; ++v) {
            const std::string tiff =
                Tiff(little, {{0x010F, 2, 4, 0}, {0x0112, 3, 1, v}, {0x0131, 2, 4, 0}});
            EXPECT_EQ(Orientation(JpegWithTiff(tiff, jfif)), static_cast<int>(v)) << little;
            EXPECT_EQ(Orientation(JpegWithTiff(tiff, "\xFF\xFF\xFF")), static_cast<int>(v));
        }
    }
}

TEST(ExifReader, HostileOrOddFilesGiveUprightAndNeverReadOutside) {
    const std::string good = Tiff(true, {{0x0112, 3, 1, 6}});
    ASSERT_EQ(Orientation(JpegWithTiff(good)), 6);
    // Values outside 1-8, the wrong type or count.
    for (Entry bad :
         {Entry{0x0112, 3, 1, 0}, {0x0112, 3, 1, 9}, {0x0112, 4, 1, 6}, {0x0112, 3, 2, 6}}) {
        EXPECT_EQ(Orientation(JpegWithTiff(Tiff(true, {bad}))), 1) << bad.type << bad.value;
    }
    // Directory offsets into the header, past the end, or at the very end.
    for (uint32_t offset : {4u, 0xFFFFFFF0u, 29u}) {
        EXPECT_EQ(Orientation(JpegWithTiff(Tiff(true, {{0x0112, 3, 1, 6}}, offset))), 1) << offset;
    }
    // A count of 65535 entries with one present: the one present is still found, nothing
    // beyond is read (the sanitizers watch).
    EXPECT_EQ(Orientation(JpegWithTiff(Tiff(true, {{0x0112, 3, 1, 6}}, 8, 65535))), 6);
    // Not TIFF, no "Exif" name, a segment longer than the file, a length below 2.
    EXPECT_EQ(Orientation(JpegWithTiff("XX*\0\x08\0\0\0")), 1);
    std::string noName = JpegWithTiff(good);
    noName[6] = 'e';
    EXPECT_EQ(Orientation(noName), 1);
    const std::string full = JpegWithTiff(good);
    for (size_t cut = 0; cut < full.size() - 2; ++cut) {
        EXPECT_EQ(Orientation(full.substr(0, cut)), 1) << cut;
    }
    EXPECT_EQ(Orientation(std::string("\xFF\xD8\xFF\xE1\x00\x01", 6) + good), 1);
    // The picture data before any EXIF, and a file that is not a JPEG.
    EXPECT_EQ(Orientation(std::string("\xFF\xD8\xFF\xDA\x00\x02", 6) + JpegWithTiff(good)), 1);
    EXPECT_EQ(Orientation("BM" + JpegWithTiff(good)), 1);
    EXPECT_EQ(ExifOrientationOfJpeg(nullptr, 0), 1);
}

// The mean difference per channel of two pictures of the same size.
double MeanDifference(const ImageBuffer& a, const ImageBuffer& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < 3 * a.Width(); ++x) {
            sum += std::abs(a.RowPtr(y)[x] - b.RowPtr(y)[x]);
        }
    }
    return sum / (3.0 * a.Width() * a.Height());
}

// A copy of a picture, mirrored left to right and/or top to bottom.
void MirroredCopy(const ImageBuffer& source, bool x, bool y, ImageBuffer* out) {
    testing::MakePicture(out, source.Width(), source.Height());
    for (int row = 0; row < source.Height(); ++row) {
        std::memcpy(out->RowPtr(row), source.RowPtr(row), source.Stride());
    }
    ExifTurn turn;
    turn.mirrorX = x;
    turn.mirrorY = y;
    ApplyExifMirrors(turn, out);
}

class CameraPictures : public testing::DeviceRootTest {
  protected:
    std::string Install(const std::string& name) {
        const fs::path file = fs::path(testing::TestDataDir()) / "exif-orientation-examples" / name;
        const std::string bytes = testing::ReadHostFile(file);
        EXPECT_FALSE(bytes.empty()) << file;
        WriteBytes("\\" + name, bytes);
        return "\\" + name;
    }
    // Compares orientations 2-8 of one shape with orientation 1, loaded the same way.
    template <typename Load>
    void AllUpright(const char* shape, Load load) {
        ImageBuffer upright;
        int uw = 0, uh = 0;
        ASSERT_EQ(load(Install(std::string(shape) + "_1.jpg"), &upright, &uw, &uh), 1);
        for (int k = 0; k <= 8; ++k) {
            const std::string name = std::string(shape) + "_" + std::to_string(k) + ".jpg";
            ImageBuffer image;
            int w = 0, h = 0;
            ASSERT_EQ(load(Install(name), &image, &w, &h), 1) << name;
            ASSERT_EQ(testing::Dims(image), testing::Dims(upright)) << name;
            EXPECT_EQ(testing::Dims(w, h), testing::Dims(uw, uh)) << name;
            // Decoding a turned file reduces it differently, so the pixels are close rather
            // than equal; but the upright picture must match better than any of its mirror
            // images or its half turn.
            const double difference = MeanDifference(image, upright);
            for (auto [x, y] : {std::pair{true, false}, {false, true}, {true, true}}) {
                ImageBuffer wrong;
                MirroredCopy(upright, x, y, &wrong);
                EXPECT_LT(difference, MeanDifference(image, wrong) / 2) << name << x << y;
            }
        }
    }
};

TEST_F(CameraPictures, AllEightOrientationsShowUprightInEveryLoader) {
    for (const char* shape : {"Landscape", "Portrait"}) {
        for (int orientation : {0, 1, 2}) {
            ImagingContext context;
            context.orientation = orientation;
            // The image view, and the user's quarter turns after the camera's.
            AllUpright(shape, [&](const std::string& p, ImageBuffer* i, int* w, int* h) {
                return LoadImageFile(p, i, 0, 0, context, w, h);
            });
            // The slide show.
            AllUpright(shape, [&](const std::string& p, ImageBuffer* i, int* w, int* h) {
                *w = *h = 0;
                return LoadImageFile(p, i, 1, 0, context);
            });
        }
        // The Home Screen background keeps the stored orientation, but not the camera's.
        ImagingContext turned;
        turned.orientation = 1;
        AllUpright(shape, [&](const std::string& p, ImageBuffer* i, int* w, int* h) {
            return LoadImageFile(p, i, 0, 1, turned, w, h);
        });
        // Thumbnails, fitted and covering their cell.
        for (int cover : {0, 1}) {
            ImagingContext context;
            context.thumbMaxView = cover;
            AllUpright(shape, [&](const std::string& p, ImageBuffer* i, int* w, int* h) {
                std::unique_ptr<ImageBuffer> thumb = LoadThumbnailImage(p, 40, 52, context, w, h);
                if (!thumb) {
                    return 0;
                }
                const size_t bytes = thumb->BlockSize();
                return i->Attach(thumb->Detach(), bytes);
            });
        }
    }
}

TEST_F(CameraPictures, TheFileSizeIsTheCamerasAndAutoRotateOffShowsTheFileAsStored) {
    ImagingContext context;
    ImageBuffer image;
    int w = 0, h = 0;
    ASSERT_EQ(LoadImageFile(Install("Landscape_6.jpg"), &image, 0, 0, context, &w, &h), 1);
    EXPECT_EQ(testing::Dims(w, h), "1800x1200");
    EXPECT_GT(image.Width(), image.Height());

    context.autoRotate = 0;
    ImageBuffer stored;
    ASSERT_EQ(LoadImageFile(Install("Landscape_6.jpg"), &stored, 0, 0, context, &w, &h), 1);
    EXPECT_EQ(testing::Dims(w, h), "1200x1800");
    EXPECT_LT(stored.Width(), stored.Height());
    // A mirrored one as stored differs clearly from the upright picture.
    ImageBuffer mirrored, upright;
    ASSERT_EQ(LoadImageFile(Install("Landscape_2.jpg"), &mirrored, 0, 0, context), 1);
    ASSERT_EQ(LoadImageFile(Install("Landscape_1.jpg"), &upright, 0, 0, context), 1);
    ASSERT_EQ(mirrored.Width(), upright.Width());
    EXPECT_GT(MeanDifference(mirrored, upright), 20.0);
}

}  // namespace
}  // namespace imaging
