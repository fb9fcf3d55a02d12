// Devices and sounds for the sharing tests.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/window/wave_codec.h"
#include "tests/support/headless.h"

namespace sharing_tests {

// A device whose work and home folder is `folder`, holding the given files.
inline void MakeDevice(const testing_support::TempDevice& device, const std::string& folder,
                       std::initializer_list<std::pair<std::string, std::string>> files) {
    device.SkipSampleInstall();
    device.MakeFolder(folder);
    for (const auto& [name, bytes] : files)
        device.WriteFile(folder + "\\" + name, bytes);
    device.WriteSettings(
        {{"MainSection", "WorkDirectory", folder}, {"MainSection", "HomeDirectory", folder}});
}

// A recognisable sound: a rising saw so that every sample differs from its neighbours.
inline std::vector<int16_t> Saw(size_t count, int step = 37) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(static_cast<int>(i * step % 20000) - 10000);
    return samples;
}

inline std::string MonoWave(const std::vector<int16_t>& samples, int rate = 8000) {
    std::string bytes;
    plat::EncodeWave(samples, rate, &bytes);
    return bytes;
}

// Writes a host sound file of `channels` interleaved channels at `rate`.
inline bool WriteHostWave(const std::string& hostPath, const std::vector<int16_t>& interleaved,
                          int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(hostPath.c_str(), SFM_WRITE, &info);
    if (!f)
        return false;
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const bool ok = sf_writef_short(f, interleaved.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

}  // namespace sharing_tests
