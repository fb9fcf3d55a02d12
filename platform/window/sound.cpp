#include "platform/window/sound.h"

#include "platform/os/device_fs.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

std::vector<PlayedSound>& Record() {
    static std::vector<PlayedSound> record;
    return record;
}

int Play(const std::string& wave, const std::string& label, unsigned flags) {
    DecodedSound sound;
    if (!DecodeWave(wave, &sound)) {
        return 0;
    }
    const bool sync = (flags & kSoundAsync) == 0;
    Record().push_back(PlayedSound{label, sync, sound.DurationMs()});
    if (Host* host = WindowSystem::Get().GetHost()) {
        host->PlaySamples(sound.samples, sound.rate, sound.channels, sync);
    }
    return 1;
}

}  // namespace

int PlaySound(const std::string& devicePath, unsigned flags) {
    FileInfo st;
    if (!DeviceFs::Stat(devicePath, &st) || st.isFolder || st.size > kMaxWaveBytes) {
        return 0;
    }
    std::string bytes;
    if (!DeviceFs::ReadAll(devicePath, &bytes)) {
        return 0;
    }
    return Play(bytes, devicePath, flags);
}

void StopSound() {
    if (Host* host = WindowSystem::Get().GetHost()) {
        host->StopSamples();
    }
}

int PlaySoundBytes(const std::string& wave, const std::string& label, unsigned flags) {
    return Play(wave, label, flags);
}

const std::vector<PlayedSound>& PlayedSounds() {
    return Record();
}

void ClearPlayedSounds() {
    Record().clear();
}

}  // namespace plat
