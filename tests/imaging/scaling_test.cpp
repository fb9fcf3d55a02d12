#include "imaging/scaling.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "test_support.h"

namespace imaging {
namespace {

using testing::MakePicture;
using testing::PixelAt;

// One channel of a row, repeated in blue, green and red so all three are checked.
std::vector<uint8_t> Row(const std::vector<int>& values) {
    std::vector<uint8_t> row;
    for (int v : values) {
        row.insert(row.end(), 3, static_cast<uint8_t>(v));
    }
    return row;
}

std::vector<int> Channel(const std::vector<uint8_t>& row, int channel) {
    std::vector<int> values;
    for (size_t i = channel; i < row.size(); i += 3) {
        values.push_back(row[i]);
    }
    return values;
}

TEST(ScaleRowTest, ExamplesOfEnlargingAndReducing) {
    struct Case {
        std::vector<int> source;
        int width;
        std::vector<int> expected;
    } cases[] = {
        {{0, 90}, 4, {0, 30, 60, 90}},
        {{0, 100, 200}, 4, {0, 100, 150, 200}},
        {{200, 100}, 4, {200, 167, 134, 100}},  // truncation towards zero on a falling ramp
        {{0, 255}, 8, {0, 36, 72, 109, 145, 182, 218, 255}},
        {{10, 20, 30, 40}, 2, {15, 35}},
        {{0, 30, 60, 90, 120}, 3, {15, 75, 120}},
        {{77}, 5, {77, 77, 77, 77, 77}},
        {{5, 6, 7}, 3, {5, 6, 7}},
        {{255, 0}, 3, {255, 128, 0}},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> src = Row(c.source);
        std::vector<uint8_t> plain(3 * c.width, 0xEE), object(3 * c.width, 0xEE);
        ScaleRowPlain(src.data(), plain.data(), static_cast<int>(c.source.size()), c.width);
        Resampler resampler;
        resampler.SetupRow(static_cast<int>(c.source.size()), c.width, 24);
        resampler.ScaleRow(src.data(), object.data());
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(Channel(plain, channel), c.expected) << c.source.size() << "->" << c.width;
        }
        EXPECT_EQ(object, plain);
    }
}

TEST(ScaleRowTest, ChannelsAreScaledIndependently) {
    const uint8_t src[6] = {0, 100, 200, 90, 100, 0};  // two pixels, channels differ
    std::vector<uint8_t> out(12);
    ScaleRowPlain(src, out.data(), 2, 4);
    EXPECT_EQ(out, std::vector<uint8_t>({0, 100, 200, 30, 100, 134, 60, 100, 67, 90, 100, 0}));
}

// Flat grey rows of `levels` resampled into a black picture: each pixel as 0xRRGGBB, rows
// separated by "|".
std::string ResampleGreyRows(const std::vector<uint8_t>& levels, int width, int targetWidth,
                             int targetHeight, int drawWidth, int drawHeight, bool fullRows) {
    ImageBuffer source, target;
    MakePicture(&source, width, static_cast<int>(levels.size()));
    for (int y = 0; y < source.Height(); ++y) {
        std::fill(source.RowPtr(y), source.RowPtr(y) + 3 * width, levels[y]);
    }
    MakePicture(&target, targetWidth, targetHeight);
    Resampler resampler;
    resampler.SetSource(source);
    resampler.SetDestination(target);
    resampler.SetBackground(0, 0, 0);
    EXPECT_EQ(resampler.Resample(drawWidth, drawHeight, 0, 0, fullRows), 1);
    std::string out;
    for (int y = 0; y < targetHeight; ++y) {
        for (int x = 0; x < targetWidth; ++x) {
            char pixel[8];
            std::snprintf(pixel, sizeof pixel, "%06X", PixelAt(target, x, y));
            out += (x ? " " : y ? "|" : "") + std::string(pixel);
        }
    }
    return out;
}

// Two rows enlarged to four interpolate in thirds; four reduced to two average pairs.
TEST(ResampleTest, RowsEnlargedInterpolateAndReducedAverage) {
    EXPECT_EQ(ResampleGreyRows({0, 90}, 2, 2, 4, 0, 0, true),
              "000000 000000|1E1E1E 1E1E1E|3C3C3C 3C3C3C|5A5A5A 5A5A5A");
    EXPECT_EQ(ResampleGreyRows({10, 20, 30, 40}, 4, 2, 2, 2, 2, false),
              "0F0F0F 0F0F0F|232323 232323");
}

TEST(ResampleTest, MarginsWithAndWithoutFullRows) {
    ImageBuffer source;
    MakePicture(&source, 1, 1);
    FillPixels(source.RowPtr(0), 0x0000FF, 1);  // red
    struct Case {
        bool fullRows;
        uint32_t margin;  // expected outside the drawn block
    } cases[] = {{true, 0x00FF00}, {false, 0x123456}};
    for (const Case& c : cases) {
        ImageBuffer target;
        MakePicture(&target, 4, 5);
        for (int y = 0; y < 5; ++y) {
            FillPixels(target.RowPtr(y), 0x563412, 4);  // 0x123456 as 0x00RRGGBB
        }
        Resampler resampler;
        resampler.SetSource(source);
        resampler.SetDestination(target);
        resampler.SetBackground(0x00, 0xFF, 0x00);
        ASSERT_EQ(resampler.Resample(2, 2, 1, 2, c.fullRows), 1);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 4; ++x) {
                const bool inside = x >= 1 && x <= 2 && y >= 2 && y <= 3;
                EXPECT_EQ(PixelAt(target, x, y), inside ? 0xFF0000u : c.margin)
                    << "full " << c.fullRows << " at " << x << "," << y;
            }
        }
    }
}

TEST(ResampleTest, PicturesReachingPastTheDestinationAreClipped) {
    ImageBuffer source, target;
    MakePicture(&source, 4, 4);
    std::fill(source.Bits(), source.Bits() + source.ImageSize(), 200);
    MakePicture(&target, 3, 3);
    Resampler resampler;
    resampler.SetSource(source);
    resampler.SetDestination(target);
    resampler.SetBackground(1, 2, 3);
    ASSERT_EQ(resampler.Resample(4, 4, 2, 1, false), 1);
    EXPECT_EQ(PixelAt(target, 2, 1), 0xC8C8C8u);
    EXPECT_EQ(PixelAt(target, 2, 2), 0xC8C8C8u);
    EXPECT_EQ(PixelAt(target, 1, 1), 0u);
    EXPECT_EQ(PixelAt(target, 2, 0), 0u);
    EXPECT_EQ(resampler.Resample(1, 1, -1, 0, false), 0);
}

}  // namespace
}  // namespace imaging
