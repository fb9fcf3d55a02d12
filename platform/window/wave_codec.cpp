#include "platform/window/wave_codec.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

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

// libsndfile writes a new WAVE file into memory through these; the caller stores the bytes.
struct MemoryWriter {
    std::string bytes;
    sf_count_t pos = 0;
};

sf_count_t WriterLength(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryWriter*>(user)->bytes.size());
}

sf_count_t WriterSeek(sf_count_t offset, int whence, void* user) {
    MemoryWriter* w = static_cast<MemoryWriter*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = w->pos;
    } else if (whence == SEEK_END) {
        base = static_cast<sf_count_t>(w->bytes.size());
    }
    const sf_count_t target = base + offset;
    if (target < 0 || target > static_cast<sf_count_t>(kMaxWaveBytes)) {
        return -1;
    }
    w->pos = target;
    return w->pos;
}

sf_count_t WriterRead(void* ptr, sf_count_t count, void* user) {
    MemoryWriter* w = static_cast<MemoryWriter*>(user);
    const sf_count_t size = static_cast<sf_count_t>(w->bytes.size());
    const sf_count_t n = std::clamp<sf_count_t>(size - w->pos, 0, std::max<sf_count_t>(count, 0));
    std::memcpy(ptr, w->bytes.data() + w->pos, static_cast<size_t>(n));
    w->pos += n;
    return n;
}

sf_count_t WriterWrite(const void* ptr, sf_count_t count, void* user) {
    MemoryWriter* w = static_cast<MemoryWriter*>(user);
    if (count <= 0) {
        return 0;
    }
    const size_t end = static_cast<size_t>(w->pos) + static_cast<size_t>(count);
    if (end > kMaxWaveBytes) {
        return 0;
    }
    if (end > w->bytes.size()) {
        w->bytes.resize(end);
    }
    std::memcpy(w->bytes.data() + w->pos, ptr, static_cast<size_t>(count));
    w->pos += count;
    return count;
}

sf_count_t WriterTell(void* user) {
    return static_cast<MemoryWriter*>(user)->pos;
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
    // Only RIFF WAVE reaches libsndfile, so none of its other readers (MPEG among them) ever
    // sees outside data.
    if (bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
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

bool EncodeWave(const std::vector<int16_t>& samples, int rate, std::string* out) {
    out->clear();
    if (rate < 1000 || rate > 192000 ||
        samples.size() > static_cast<size_t>(rate) * static_cast<size_t>(kMaxWaveSeconds)) {
        return false;
    }
    MemoryWriter writer;
    SF_VIRTUAL_IO io{WriterLength, WriterSeek, WriterRead, WriterWrite, WriterTell};
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &writer);
    if (!file) {
        return false;
    }
    const sf_count_t count = static_cast<sf_count_t>(samples.size());
    const bool written = sf_write_short(file, samples.data(), count) == count;
    // Closing writes the final chunk sizes into the header.
    const bool closed = sf_close(file) == 0;
    if (!written || !closed) {
        return false;
    }
    *out = std::move(writer.bytes);
    return true;
}

}  // namespace plat
