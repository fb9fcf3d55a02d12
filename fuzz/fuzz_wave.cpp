// libFuzzer target: file bytes through the sound layer's WAVE reader, as a voice note or a
// sound played from a file would reach it. A mono note that decodes is written again as the
// recorder writes notes, and must read back sample for sample.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/window/wave_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    plat::DecodedSound sound;
    if (!plat::DecodeWave(bytes, &sound)) {
        return 0;
    }
    if (sound.channels < 1 || sound.channels > 2 || sound.rate < 1000 || sound.rate > 192000 ||
        sound.samples.size() % static_cast<size_t>(sound.channels) != 0 ||
        sound.DurationMs() > plat::kMaxWaveSeconds * 1000) {
        abort();
    }
    if (sound.channels == 1) {
        std::string again;
        if (!plat::EncodeWave(sound.samples, sound.rate, &again)) {
            abort();
        }
        plat::DecodedSound back;
        if (!plat::DecodeWave(again, &back) || back.samples != sound.samples ||
            back.rate != sound.rate) {
            abort();
        }
    }
    return 0;
}
