#include "platform/window/sound.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/os/device_fs.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

// libsndfile reads the WAVE bytes through these callbacks; nothing touches the disk.
struct MemoryReader {
    const std::string* bytes;
    sf_count_t pos = 0;
};

sf_count_t ReaderLength(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryReader*>(user)->bytes->size());
}

sf_count_t ReaderSeek(sf_count_t offset, int whence, void* user) {
    MemoryReader* r = static_cast<MemoryReader*>(user);
    const sf_count_t size = static_cast<sf_count_t>(r->bytes->size());
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = r->pos;
    } else if (whence == SEEK_END) {
        base = size;
    }
    const sf_count_t target = base + offset;
    if (target < 0 || target > size) {
        return -1;
    }
    r->pos = target;
    return r->pos;
}

sf_count_t ReaderRead(void* ptr, sf_count_t count, void* user) {
    MemoryReader* r = static_cast<MemoryReader*>(user);
    const sf_count_t size = static_cast<sf_count_t>(r->bytes->size());
    const sf_count_t n = std::clamp<sf_count_t>(size - r->pos, 0, std::max<sf_count_t>(count, 0));
    std::memcpy(ptr, r->bytes->data() + r->pos, static_cast<size_t>(n));
    r->pos += n;
    return n;
}

sf_count_t ReaderWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t ReaderTell(void* user) {
    return static_cast<MemoryReader*>(user)->pos;
}

struct SndCloser {
    void operator()(SNDFILE* f) const {
        if (f)
            sf_close(f);
    }
};

bool IsWaveContainer(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX;
}

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

int64_t DecodedSound::DurationMs() const {
    if (rate <= 0) {
        return 0;
    }
    return (Frames() * 1000 + rate - 1) / rate;
}

bool DecodeWave(const std::string& bytes, DecodedSound* out) {
    *out = DecodedSound{};
    if (bytes.size() < 12 || bytes.size() > kMaxWaveBytes) {
        return false;
    }
    MemoryReader reader{&bytes};
    SF_VIRTUAL_IO io{ReaderLength, ReaderSeek, ReaderRead, ReaderWrite, ReaderTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndCloser> file(sf_open_virtual(&io, SFM_READ, &info, &reader));
    if (!file || !IsWaveContainer(info.format)) {
        return false;
    }
    if (info.channels < 1 || info.channels > 2 || info.samplerate < 1000 ||
        info.samplerate > 192000 || info.frames < 0 ||
        info.frames > static_cast<sf_count_t>(info.samplerate) * kMaxWaveSeconds) {
        return false;
    }
    std::vector<int16_t> samples;
    const size_t count = static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels);
    samples.resize(count);
    const sf_count_t got = sf_readf_short(file.get(), samples.data(), info.frames);
    if (got < 0) {
        return false;
    }
    // A file cut short plays what it holds.
    samples.resize(static_cast<size_t>(got) * static_cast<size_t>(info.channels));
    out->samples = std::move(samples);
    out->rate = info.samplerate;
    out->channels = info.channels;
    return true;
}

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
