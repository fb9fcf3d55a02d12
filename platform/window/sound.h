// Sound out: WAVE files and WAVE bytes in memory, decoded here and handed to the host, which
// plays them (a real audio device) or records them (the headless host).
//
// A new sound replaces the one still playing, as on the phone. A synchronous sound returns
// only when it has been played; an asynchronous one returns at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Flags of PlaySound (the values of the platform the system was written for).
enum SoundFlags : unsigned {
    kSoundSync = 0x0000,
    kSoundAsync = 0x0001,
    kSoundMemory = 0x0004,
    kSoundFileName = 0x00020000,
};

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

// Plays the WAVE file at `devicePath` (kSoundFileName) with kSoundAsync or synchronously.
// 1 played, 0 when the file is missing or is not a WAVE file this platform can decode.
int PlaySound(const std::string& devicePath, unsigned flags);
// Plays WAVE bytes (a sound resource); `label` names it in the record. 1 / 0 as above.
int PlaySoundBytes(const std::string& wave, const std::string& label, unsigned flags);

// What was played, oldest first, for tests and scripts.
struct PlayedSound {
    std::string file;  // the device path, or the label of a sound resource
    bool sync = false;
    int64_t durationMs = 0;
};
const std::vector<PlayedSound>& PlayedSounds();
void ClearPlayedSounds();

}  // namespace plat
