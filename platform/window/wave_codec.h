// WAVE files in memory: decoding what the sound layer plays, and encoding what the voice
// recorder writes. Everything goes through libsndfile; nothing here touches the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// PCM samples as the host takes them: signed 16-bit, channels interleaved.
struct DecodedSound {
    std::vector<int16_t> samples;
    int rate = 0;
    int channels = 0;

    int64_t Frames() const {
        return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0;
    }
    // The playing time, rounded up to whole milliseconds.
    int64_t DurationMs() const;
};

// Limits on what is decoded: WAVE files this long or this big are refused.
constexpr size_t kMaxWaveBytes = size_t{64} << 20;
constexpr int64_t kMaxWaveSeconds = 300;

// Decodes the bytes of a RIFF WAVE file: PCM 8, 16, 24 or 32-bit, float, IMA and MS ADPCM,
// GSM 6.10, A-law and u-law; mono or stereo; 1 kHz to 192 kHz. Anything else, or damaged
// data, gives false.
bool DecodeWave(const std::string& bytes, DecodedSound* out);

// Encodes mono signed 16-bit samples as a RIFF WAVE file of 16-bit PCM at `rate`.
bool EncodeWave(const std::vector<int16_t>& samples, int rate, std::string* out);

}  // namespace plat
