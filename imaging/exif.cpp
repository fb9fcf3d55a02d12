#include "imaging/exif.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/os/device_fs.h"

namespace imaging {
namespace {

// EXIF sits in an APP1 segment near the start; segments are at most 64 KiB, so a few of them
// fit in what is read.
constexpr size_t kHeadBytes = 256 * 1024;
constexpr int kMaxSegments = 64;
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

uint16_t Read16(const uint8_t* p, bool little) {
    return little ? static_cast<uint16_t>(p[0] | (p[1] << 8))
                  : static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t Read32(const uint8_t* p, bool little) {
    return little ? (uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                     (uint32_t{p[3]} << 24))
                  : ((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) |
                     uint32_t{p[3]});
}

// The orientation in a TIFF structure (the APP1 payload after "Exif\0\0").
int OrientationOfTiff(const uint8_t* t, size_t size) {
    if (size < 8) {
        return 1;
    }
    bool little = false;
    if (t[0] == 'I' && t[1] == 'I') {
        little = true;
    } else if (!(t[0] == 'M' && t[1] == 'M')) {
        return 1;
    }
    if (Read16(t + 2, little) != 42) {
        return 1;
    }
    const uint32_t ifd = Read32(t + 4, little);
    if (ifd < 8 || ifd > size - 2) {
        return 1;
    }
    // A count claiming more entries than there are bytes is cut to what is present.
    const size_t present = (size - ifd - 2) / 12;
    const size_t count = std::min<size_t>(Read16(t + ifd, little), present);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = t + ifd + 2 + 12 * i;
        if (Read16(e, little) != kOrientationTag) {
            continue;
        }
        if (Read16(e + 2, little) != kTypeShort || Read32(e + 4, little) != 1) {
            return 1;
        }
        const int value = Read16(e + 8, little);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

}  // namespace

int ExifOrientationOfJpeg(const uint8_t* p, size_t size) {
    if (!p || size < 4 || p[0] != 0xFF || p[1] != 0xD8) {
        return 1;
    }
    size_t pos = 2;
    for (int segments = 0; segments < kMaxSegments && pos + 4 <= size;) {
        if (p[pos] != 0xFF) {
            return 1;
        }
        const uint8_t marker = p[pos + 1];
        if (marker == 0xFF) {
            ++pos;  // a fill byte before the marker
            continue;
        }
        ++segments;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            pos += 2;  // markers without a length
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) {
            return 1;  // the picture data starts (or the file ends) before any EXIF
        }
        const size_t length = Read16(p + pos + 2, false);
        if (length < 2 || pos + 2 + length > size) {
            return 1;
        }
        const uint8_t* payload = p + pos + 4;
        const size_t payloadSize = length - 2;
        if (marker == 0xE1 && payloadSize >= 6 && std::memcmp(payload, "Exif\0\0", 6) == 0) {
            return OrientationOfTiff(payload + 6, payloadSize - 6);
        }
        pos += 2 + length;
    }
    return 1;
}

int ExifOrientationOfFile(const std::string& path) {
    plat::FilePtr file = plat::DeviceFs::Open(path, "rb");
    if (!file) {
        return 1;
    }
    std::vector<uint8_t> head(kHeadBytes);
    const size_t got = std::fread(head.data(), 1, head.size(), file.get());
    return ExifOrientationOfJpeg(head.data(), got);
}

}  // namespace imaging
