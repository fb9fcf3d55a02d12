// Shared helpers of the imaging tests: a temporary device root and small pictures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/image_buffer.h"
#include "imaging/picture_writers.h"
#include "platform/os/device_fs.h"
#include "tests/support/headless.h"

namespace imaging::testing {

inline void MakePicture(ImageBuffer* image, int width, int height, int depth = 24) {
    BitmapInfoHeader header;
    MakeBitmapHeader(&header, width, height, depth, 72, 72);
    ASSERT_EQ(image->Create(header), 1);
}

// A colourful picture whose pixels change smoothly, so that decoders and scalers can be
// compared within a tolerance.
inline void MakeGradient(ImageBuffer* image, int width, int height) {
    MakePicture(image, width, height);
    for (int y = 0; y < image->Height(); ++y) {
        uint8_t* p = image->RowPtr(y);
        for (int x = 0; x < image->Width(); ++x, p += 3) {
            p[0] = static_cast<uint8_t>(x * 255 / std::max(1, image->Width() - 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(1, image->Height() - 1));
            p[2] = static_cast<uint8_t>(128 + (x - y) / 4);
        }
    }
}

// Pixel (x, y) of a 24-bit picture as 0x00RRGGBB for readable failures.
inline uint32_t PixelAt(const ImageBuffer& image, int x, int y) {
    const uint8_t* p = image.RowPtr(y) + 3 * x;
    return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

// The largest difference of any channel between two pictures of the same size.
inline int MaxDifference(const ImageBuffer& a, const ImageBuffer& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < 3 * a.Width(); ++x) {
            worst = std::max(worst, std::abs(a.RowPtr(y)[x] - b.RowPtr(y)[x]));
        }
    }
    return worst;
}

inline bool SamePixels(const ImageBuffer& a, const ImageBuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && MaxDifference(a, b) == 0;
}

// Each test runs against a fresh device root in a temporary host folder.
class DeviceRootTest : public ::testing::Test {
  protected:
    void SetUp() override { plat::DeviceFs::SetRoot(device_.Root()); }
    void WriteBytes(const std::string& devicePath, const std::string& bytes) {
        ASSERT_TRUE(plat::DeviceFs::WriteAtomic(devicePath, bytes));
    }
    // A gradient picture written as a 24-bit BMP or a JPEG.
    void WriteGradient(const std::string& devicePath, int width, int height, bool bmp = false) {
        ImageBuffer image;
        MakeGradient(&image, width, height);
        ASSERT_EQ(bmp ? WriteBmp24(devicePath, image) : WriteJpegFile(devicePath, image), 1);
    }
    std::string ReadBytes(const std::string& devicePath) {
        std::string bytes;
        plat::DeviceFs::ReadAll(devicePath, &bytes);
        return bytes;
    }
    testing_support::TempDevice device_;
};

inline std::string ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The public decoder test suites carried in the repository (tests/data).
inline std::string TestDataDir() {
    return VELLORAN_TEST_DATA;
}

// "WxH", so one expectation covers both sides of a size.
inline std::string Dims(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}
inline std::string Dims(const ImageBuffer& image) {
    return Dims(image.Width(), image.Height());
}

}  // namespace imaging::testing
