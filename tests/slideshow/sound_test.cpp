// Sound out: WAVE files in the codings a phone records (PCM, IMA ADPCM, GSM 6.10) decoded to
// the host's 16-bit samples, files and resources played, and what was played recorded.
#include "platform/window/sound.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/device_fs.h"
#include "platform/window/window_system.h"
#include "resources/artwork.h"
#include "tests/support/headless.h"
#include "tests/support/script_host.h"

namespace {

// A tone of `ms` milliseconds written with libsndfile in `format`; the left channel carries
// the tone and a right channel (when there is one) carries half of it, inverted.
std::string MakeWave(int format, int rate, int channels, int ms) {
    char path[] = "/tmp/velloran-sound-XXXXXX";
    const int fd = ::mkstemp(path);
    EXPECT_GE(fd, 0);
    ::close(fd);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path, SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    const int frames = rate * ms / 1000;
    std::vector<short> samples;
    for (int i = 0; i < frames; ++i) {
        const short v = static_cast<short>(12000.0 * std::sin(2 * M_PI * 440.0 * i / rate));
        samples.push_back(v);
        if (channels == 2)
            samples.push_back(static_cast<short>(-v / 2));
    }
    if (f) {
        sf_writef_short(f, samples.data(), frames);
        sf_close(f);
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::remove(path);
    return bytes.str();
}

double Rms(const plat::DecodedSound& s, int channel) {
    double sum = 0;
    const int64_t frames = s.Frames();
    for (int64_t i = 0; i < frames; ++i) {
        const double v = s.samples[static_cast<size_t>(i * s.channels + channel)];
        sum += v * v;
    }
    return frames ? std::sqrt(sum / static_cast<double>(frames)) : 0;
}

struct Coding {
    const char* name;
    int format;
    int rate;
    int channels;
    double tolerance;  // how far the level may drift through the coding
};

class SlideCodings : public ::testing::TestWithParam<Coding> {};

// A host that keeps what it was given.
class RecordingHost : public testing_support::ScriptHost {
  public:
    void PlaySamples(const std::vector<int16_t>& interleaved, int r, int c, bool s) override {
        samples = interleaved.size();
        rate = r;
        channels = c;
        sync = s;
        ++calls;
    }
    size_t samples = 0;
    int rate = 0;
    int channels = 0;
    bool sync = false;
    int calls = 0;
};

}  // namespace

TEST_P(SlideCodings, DecodeToSixteenBitSamplesAtTheFilesRateAndChannels) {
    const Coding c = GetParam();
    const std::string wave = MakeWave(c.format, c.rate, c.channels, 500);
    ASSERT_GT(wave.size(), 44u);
    plat::DecodedSound sound;
    ASSERT_TRUE(plat::DecodeWave(wave, &sound)) << c.name;
    EXPECT_EQ(sound.rate, c.rate);
    EXPECT_EQ(sound.channels, c.channels);
    // Block codings pad the last block: at most one block (GSM 320, IMA 505 frames) more.
    EXPECT_GE(sound.Frames(), c.rate / 2);
    EXPECT_LE(sound.Frames(), c.rate / 2 + 512);
    EXPECT_NEAR(sound.DurationMs(), 500, 512 * 1000 / c.rate + 1);
    // A 12000-peak sine has an RMS of about 8485.
    EXPECT_NEAR(Rms(sound, 0), 8485, 8485 * c.tolerance) << c.name;
    if (c.channels == 2) {
        EXPECT_NEAR(Rms(sound, 1), 4242, 4242 * c.tolerance) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sound, SlideCodings,
    ::testing::Values(Coding{"pcm16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 0.01},
                      Coding{"pcm8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 11025, 1, 0.03},
                      Coding{"pcm16stereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 0.01},
                      Coding{"ima", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 8000, 1, 0.1},
                      Coding{"imastereo", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 16000, 2, 0.1},
                      Coding{"gsm", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, 1, 0.3}),
    [](const ::testing::TestParamInfo<Coding>& p) { return std::string(p.param.name); });

TEST(SlideSound, RefusesWhatIsNotAWaveFile) {
    plat::DecodedSound sound;
    EXPECT_FALSE(plat::DecodeWave("", &sound));
    EXPECT_FALSE(plat::DecodeWave("RIFF\x10\0\0\0WAVEfmt ", &sound));
    std::string garbage(4000, '\x5a');
    EXPECT_FALSE(plat::DecodeWave(garbage, &sound));
    // A sound file of another kind is not a WAVE file.
    const std::string aiff = MakeWave(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 1, 100);
    EXPECT_FALSE(plat::DecodeWave(aiff, &sound));
    // Cut short in the middle of its data: plays what is there.
    const std::string whole = MakeWave(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 1000);
    ASSERT_TRUE(plat::DecodeWave(whole.substr(0, whole.size() / 2), &sound));
    EXPECT_LT(sound.Frames(), 8000);
    EXPECT_GT(sound.Frames(), 3000);
}

TEST(SlideSound, PlayingAFileHandsItToTheHostAndRecordsIt) {
    testing_support::TempDevice device;
    plat::DeviceFs::SetRoot(device.Root());
    device.WriteFile("\\note.wav", MakeWave(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 2, 250));
    device.WriteFile("\\bad.wav", "not a sound");
    RecordingHost host;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.Init(&host, 176, 220);
    plat::ClearPlayedSounds();

    EXPECT_EQ(plat::PlaySound("\\note.wav", plat::kSoundFileName | plat::kSoundAsync), 1);
    EXPECT_EQ(host.calls, 1);
    EXPECT_FALSE(host.sync);
    EXPECT_EQ(host.rate, 8000);
    EXPECT_EQ(host.channels, 2);
    EXPECT_EQ(host.samples, 2u * 2000u);
    EXPECT_EQ(plat::PlaySound("\\note.wav", plat::kSoundFileName), 1);
    EXPECT_TRUE(host.sync);

    EXPECT_EQ(plat::PlaySound("\\missing.wav", plat::kSoundFileName), 0);
    EXPECT_EQ(plat::PlaySound("\\bad.wav", plat::kSoundFileName), 0);
    EXPECT_EQ(plat::PlaySound("\\..\\escape.wav", plat::kSoundFileName), 0);
    EXPECT_EQ(host.calls, 2);

    const std::string chime = res::LoadWaveResource(4016);
    EXPECT_EQ(plat::PlaySoundBytes(chime, "4016", plat::kSoundMemory | plat::kSoundAsync), 1);
    EXPECT_EQ(host.calls, 3);

    const auto& played = plat::PlayedSounds();
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].file, "\\note.wav");
    EXPECT_FALSE(played[0].sync);
    EXPECT_EQ(played[0].durationMs, 250);
    EXPECT_TRUE(played[1].sync);
    EXPECT_EQ(played[2].file, "4016");
    EXPECT_GT(played[2].durationMs, 100);
    ws.Shutdown();
    plat::ClearPlayedSounds();
}
