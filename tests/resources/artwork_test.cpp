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

TEST(Artwork, IconsHaveTheirSizesAndTransparentBackgrounds) {
    struct Want {
        int id;
        int width;
        int height;
    };
    for (const Want& w :
         {Want{5001, 32, 32}, Want{5002, 32, 32}, Want{5003, 12, 12}, Want{5004, 32, 32},
          Want{5005, 32, 32}, Want{5006, 32, 32}, Want{5007, 16, 16}}) {
        SCOPED_TRACE(w.id);
        const plat::Icon icon = res::LoadIconResource(w.id);
        EXPECT_EQ(icon.width, w.width);
        EXPECT_EQ(icon.height, w.height);
        ASSERT_EQ(icon.pixels.size(), static_cast<size_t>(w.width) * w.height);
        const auto opaque = std::count_if(icon.pixels.begin(), icon.pixels.end(),
                                          [](uint32_t p) { return (p >> 24) == 0xFF; });
        EXPECT_GT(opaque, 0);
        EXPECT_EQ(icon.pixels[0] >> 24, 0u) << "top-left corner should be transparent";
    }
}

TEST(Artwork, FileTypeIconsDiffer) {
    const auto bmp = res::LoadIconResource(5004).pixels;
    const auto gif = res::LoadIconResource(5005).pixels;
    const auto jpg = res::LoadIconResource(5006).pixels;
    EXPECT_NE(bmp, gif);
    EXPECT_NE(gif, jpg);
    EXPECT_NE(bmp, jpg);
}

TEST(Artwork, BitmapsHaveTheirSizes) {
    struct Want {
        int id;
        int width;
        int height;
    };
    for (const Want& w : {Want{4511, 32, 32}, Want{4512, 32, 32}, Want{4513, 32, 32},
                          Want{6001, 128, 15}, Want{6002, 32, 32}}) {
        SCOPED_TRACE(w.id);
        const auto bmp = res::LoadBitmapResource(w.id);
        ASSERT_NE(bmp, nullptr);
        EXPECT_EQ(bmp->Width(), w.width);
        EXPECT_EQ(bmp->Height(), w.height);
        EXPECT_EQ(bmp->ByteSize(), static_cast<size_t>(plat::DibStride(w.width)) * w.height);
    }
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

TEST(Artwork, UnknownIdsGiveNothing) {
    for (int id : {0, 4016, 4510, 4514, 5000, 5008, 6003}) {
        SCOPED_TRACE(id);
        const plat::Icon icon = res::LoadIconResource(id);
        EXPECT_EQ(icon.width, 0);
        EXPECT_TRUE(icon.pixels.empty());
        EXPECT_EQ(res::LoadBitmapResource(id), nullptr);
    }
    EXPECT_TRUE(res::LoadWaveResource(5001).empty());
    EXPECT_TRUE(res::LoadWaveResource(0).empty());
}

}  // namespace
