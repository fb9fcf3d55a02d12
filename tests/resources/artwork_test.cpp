#include "resources/artwork.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool IsWhite(const plat::Bitmap& bmp, int x, int y) {
    const uint8_t* p = bmp.Row(y) + x * 3;
    return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;
}

uint32_t ReadLe32(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    }
    return v;
}

// Icons have their sizes, something opaque and a transparent corner; bitmaps their sizes and
// rows padded to four bytes; other ids give nothing.
TEST(Artwork, IconsAndBitmapsHaveTheirSizesAndUnknownIdsGiveNothing) {
    const struct {
        int id;
        const char* icon;  // "WxH", or "" for none
        const char* bitmap;
    } cases[] = {
        {5001, "32x32", ""}, {5002, "32x32", ""}, {5003, "12x12", ""},  {5004, "32x32", ""},
        {5005, "32x32", ""}, {5006, "32x32", ""}, {5007, "16x16", ""},  {4511, "", "32x32"},
        {4512, "", "32x32"}, {4513, "", "32x32"}, {6001, "", "128x15"}, {6002, "", "32x32"},
        {0, "", ""},         {4016, "", ""},      {4510, "", ""},       {4514, "", ""},
        {5000, "", ""},      {5008, "", ""},      {6003, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const plat::Icon icon = res::LoadIconResource(c.id);
        const auto bitmap = res::LoadBitmapResource(c.id);
        EXPECT_EQ(icon.width ? std::to_string(icon.width) + "x" + std::to_string(icon.height) : "",
                  c.icon);
        EXPECT_EQ(
            bitmap ? std::to_string(bitmap->Width()) + "x" + std::to_string(bitmap->Height()) : "",
            c.bitmap);
        ASSERT_EQ(icon.pixels.size(), static_cast<size_t>(icon.width) * icon.height);
        if (bitmap) {
            EXPECT_EQ(bitmap->ByteSize(),
                      static_cast<size_t>(plat::DibStride(bitmap->Width())) * bitmap->Height());
        }
        if (icon.width) {
            EXPECT_GT(std::count_if(icon.pixels.begin(), icon.pixels.end(),
                                    [](uint32_t p) { return (p >> 24) == 0xFF; }),
                      0);
            EXPECT_EQ(icon.pixels[0] >> 24, 0u) << "top-left corner should be transparent";
        }
    }
    // The file type icons differ.
    const auto bmp = res::LoadIconResource(5004).pixels;
    const auto gif = res::LoadIconResource(5005).pixels;
    const auto jpg = res::LoadIconResource(5006).pixels;
    EXPECT_NE(bmp, gif);
    EXPECT_NE(gif, jpg);
    EXPECT_NE(bmp, jpg);
    EXPECT_TRUE(res::LoadWaveResource(5001).empty());
    EXPECT_TRUE(res::LoadWaveResource(0).empty());
}

// The tree keys out white: every 16 x 15 image must have something to show, keep white
// at its corners so that neighbouring images never run together.
TEST(Artwork, TreeImagesAreDrawnOnWhite) {
    const auto strip = res::LoadBitmapResource(6001);
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->Width(), 128);
    for (int cell = 0; cell < 8; ++cell) {
        SCOPED_TRACE(cell);
        const int x0 = cell * 16;
        int shown = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = x0; x < x0 + 16; ++x) {
                shown += IsWhite(*strip, x, y) ? 0 : 1;
            }
        }
        EXPECT_GT(shown, 30);
        EXPECT_LT(shown, 16 * 15);
        EXPECT_TRUE(IsWhite(*strip, x0, 0));
        EXPECT_TRUE(IsWhite(*strip, x0 + 15, 14));
    }
    // The three picture types are told apart by colour.
    auto cell = [&](int index) {
        std::vector<uint8_t> bytes;
        for (int y = 0; y < 15; ++y) {
            const uint8_t* row = strip->Row(y) + index * 16 * 3;
            bytes.insert(bytes.end(), row, row + 16 * 3);
        }
        return bytes;
    };
    EXPECT_NE(cell(5), cell(6));
    EXPECT_NE(cell(6), cell(7));
    EXPECT_NE(cell(5), cell(7));
}

TEST(Artwork, ChimeIsAShortValidWave) {
    const std::string wav = res::LoadWaveResource(4016);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 4), "WAVE");
    EXPECT_EQ(ReadLe32(wav, 4), wav.size() - 8);
    ASSERT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(ReadLe32(wav, 40), wav.size() - 44);

    // libsndfile reads it back from a file of its own.
    char path[] = "/tmp/velloran-chime-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, wav.data(), wav.size()), static_cast<ssize_t>(wav.size()));
    ::close(fd);
    SF_INFO info{};
    SNDFILE* snd = sf_open(path, SFM_READ, &info);
    std::remove(path);
    ASSERT_NE(snd, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
    EXPECT_EQ(info.channels, 1);
    ASSERT_GT(info.samplerate, 0);
    const double seconds = static_cast<double>(info.frames) / info.samplerate;
    EXPECT_GE(seconds, 0.2);
    EXPECT_LE(seconds, 0.6);

    std::vector<short> samples(static_cast<size_t>(info.frames) * info.channels);
    EXPECT_EQ(sf_read_short(snd, samples.data(), static_cast<sf_count_t>(samples.size())),
              static_cast<sf_count_t>(samples.size()));
    sf_close(snd);
    int peak = 0;
    for (short s : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_GT(peak, 4000) << "audible";
    EXPECT_LT(peak, 32767) << "not clipped";
    EXPECT_LT(std::abs(static_cast<int>(samples.back())), 200) << "ends on silence";
}

}  // namespace
