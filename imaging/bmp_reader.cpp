#include "imaging/bmp_reader.h"

#include <algorithm>
#include <cstring>

#include "imaging/image_buffer.h"

namespace imaging {

namespace {

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

size_t ReadUpTo(std::FILE* f, uint8_t* dst, size_t bytes) {
    return std::fread(dst, 1, bytes, f);
}

}  // namespace

int BmpReader::Open(const std::string& path, int* width, int* height, int* depth) {
    Close();
    file_ = plat::DeviceFs::Open(path, "rb");
    if (!file_) {
        return 0;
    }
    uint8_t fileHeader[18];
    if (ReadUpTo(file_.get(), fileHeader, sizeof fileHeader) != sizeof fileHeader ||
        fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        Close();
        return 0;
    }
    const uint32_t pixelOffset = U32(fileHeader + 10);
    const uint32_t infoSize = U32(fileHeader + 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 64) {
        Close();
        return 0;
    }
    uint8_t info[64] = {};
    std::memcpy(info, fileHeader + 14, 4);
    if (ReadUpTo(file_.get(), info + 4, infoSize - 4) != infoSize - 4) {
        Close();
        return 0;
    }
    int64_t w = 0, h = 0;
    int bits = 0;
    uint32_t compression = 0;
    uint32_t colourCount = 0;
    if (infoSize == 12) {
        w = U16(info + 4);
        h = U16(info + 6);
        bits = U16(info + 10);
        paletteEntrySize_ = 3;
    } else {
        w = static_cast<int32_t>(U32(info + 4));
        h = static_cast<int32_t>(U32(info + 8));
        bits = U16(info + 14);
        compression = U32(info + 16);
        colourCount = U32(info + 32);
        paletteEntrySize_ = 4;
    }
    if ((bits != 1 && bits != 4 && bits != 8 && bits != 24) || compression != 0 || w <= 0 ||
        w > kMaxDimension || h <= 0 || h > kMaxDimension) {
        Close();
        return 0;
    }
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
    depth_ = bits;
    rawRowLength_ = RowStride(width_, depth_);
    rawRow_.assign(rawRowLength_, 0);
    paletteOffset_ = 14 + infoSize;
    colourCount_ = depth_ <= 8 ? (1u << depth_) : 0;
    if (colourCount != 0 && colourCount < colourCount_) {
        colourCount_ = colourCount;
    }
    // The pixel-data offset is trusted only when it lies beyond the info header; a palette
    // that would run into the pixels is cut short there.
    if (pixelOffset >= paletteOffset_) {
        pixelOffset_ = pixelOffset;
        const uint32_t room = (pixelOffset - paletteOffset_) / paletteEntrySize_;
        if (depth_ <= 8 && room < colourCount_) {
            colourCount_ = room;
        }
    } else {
        pixelOffset_ = paletteOffset_ + colourCount_ * paletteEntrySize_;
    }
    atPixels_ = false;
    std::memset(palette_, 0, sizeof palette_);
    if (width) {
        *width = width_;
    }
    if (height) {
        *height = height_;
    }
    if (depth) {
        *depth = depth_;
    }
    return 1;
}

int BmpReader::ReadPalette(int entries) {
    if (!file_ || depth_ > 8) {
        return 0;
    }
    std::memset(palette_, 0, sizeof palette_);
    const uint32_t count =
        std::min<uint32_t>(colourCount_, static_cast<uint32_t>(std::max(entries, 0)));
    if (std::fseek(file_.get(), static_cast<long>(paletteOffset_), SEEK_SET) != 0) {
        return 0;
    }
    atPixels_ = false;
    uint8_t entry[4];
    for (uint32_t i = 0; i < count; ++i) {
        if (ReadUpTo(file_.get(), entry, paletteEntrySize_) != paletteEntrySize_) {
            return 0;
        }
        std::memcpy(palette_[i], entry, 3);
    }
    return 1;
}

int BmpReader::SeekToPixels() {
    if (atPixels_) {
        return 1;
    }
    atPixels_ = true;
    return std::fseek(file_.get(), static_cast<long>(pixelOffset_), SEEK_SET) == 0;
}

int BmpReader::ReadRow(uint8_t* dst) {
    if (!file_) {
        return 0;
    }
    const size_t pixelBytes = static_cast<size_t>(width_) * 3;
    if (depth_ == 24) {
        size_t got = SeekToPixels() ? ReadUpTo(file_.get(), dst, rawRowLength_) : 0;
        if (got < rawRowLength_) {
            std::memset(dst + got, 0, rawRowLength_ - got);
            return 0;
        }
        return 1;
    }
    size_t got = SeekToPixels() ? ReadUpTo(file_.get(), rawRow_.data(), rawRowLength_) : 0;
    const int complete = got == rawRowLength_;
    if (!complete) {
        // Missing bytes come out black, not as palette entry 0.
        std::memset(dst, 0, pixelBytes);
    }
    const int pixelsPerByte = 8 / depth_;
    const int available = static_cast<int>(std::min<size_t>(got * pixelsPerByte, width_));
    const uint8_t* raw = rawRow_.data();
    const int mask = (1 << depth_) - 1;
    for (int x = 0; x < available; ++x, dst += 3) {
        const int bitPosition = 8 - depth_ * (x % pixelsPerByte + 1);
        const int index = (raw[x / pixelsPerByte] >> bitPosition) & mask;
        std::memcpy(dst, palette_[index], 3);
    }
    return complete;
}

void BmpReader::Close() {
    file_.reset();
    width_ = height_ = depth_ = 0;
    rawRowLength_ = 0;
    colourCount_ = 0;
    atPixels_ = false;
    rawRow_ = std::vector<uint8_t>();
}

}  // namespace imaging
