// Builds BMP files byte by byte for the reader's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imaging::testing {

struct BmpLayout {
    int infoSize = 40;  // 12, 40, 64 or anything to test refusal
    int width = 1;
    int height = 1;
    int depth = 24;
    uint32_t compression = 0;
    int paletteEntries = -1;                    // entries written; -1: 2^depth for depths up to 8
    uint32_t colourCount = 0;                   // biClrUsed
    int gap = 0;                                // bytes between the palette and the pixels
    std::vector<std::vector<uint8_t>> palette;  // blue, green, red per entry
    std::vector<uint8_t> pixels;                // stored rows, bottom row first, padded
    size_t truncateTo = 0;                      // keep only this many bytes (0: all)
};

inline void Put16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::string BuildBmp(const BmpLayout& s) {
    const int entrySize = s.infoSize == 12 ? 3 : 4;
    const int entries =
        s.paletteEntries >= 0 ? s.paletteEntries : (s.depth <= 8 ? (1 << s.depth) : 0);
    const uint32_t offset = 14 + s.infoSize + entries * entrySize + s.gap;
    std::string info;
    Put32(&info, s.infoSize);
    if (s.infoSize == 12) {
        Put16(&info, s.width);
        Put16(&info, s.height);
        Put16(&info, 1);
        Put16(&info, s.depth);
    } else {
        Put32(&info, static_cast<uint32_t>(s.width));
        Put32(&info, static_cast<uint32_t>(s.height));
        Put16(&info, 1);
        Put16(&info, s.depth);
        Put32(&info, s.compression);
        Put32(&info, static_cast<uint32_t>(s.pixels.size()));
        Put32(&info, 2835);
        Put32(&info, 2835);
        Put32(&info, s.colourCount);
        Put32(&info, 0);
    }
    info.resize(s.infoSize, '\0');
    std::string out = "BM";
    Put32(&out, static_cast<uint32_t>(offset + s.pixels.size()));
    Put32(&out, 0);
    Put32(&out, offset);
    out += info;
    for (int i = 0; i < entries; ++i) {
        std::vector<uint8_t> e = i < static_cast<int>(s.palette.size())
                                     ? s.palette[i]
                                     : std::vector<uint8_t>{static_cast<uint8_t>(i), 0x11, 0x22};
        e.resize(entrySize, 0);
        out.append(reinterpret_cast<const char*>(e.data()), entrySize);
    }
    out.append(static_cast<size_t>(s.gap), '\x5A');
    out.append(reinterpret_cast<const char*>(s.pixels.data()), s.pixels.size());
    if (s.truncateTo && s.truncateTo < out.size()) {
        out.resize(s.truncateTo);
    }
    return out;
}

}  // namespace imaging::testing
