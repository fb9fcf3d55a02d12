#include "imaging/image_buffer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

namespace imaging {

static_assert(std::endian::native == std::endian::little,
              "the packed bitmap header is stored in the host's byte order");

namespace {

bool SupportedDepth(int depth) {
    return depth == 1 || depth == 24;
}

int PaletteEntries(int depth) {
    return depth <= 8 ? (1 << depth) : 0;
}

bool IsWhite(const uint8_t* p) {
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

// Copies one pixel, or in mask mode paints the given colour where the source is white.
void StorePixel(uint8_t* out, const uint8_t* p, bool mask, uint8_t blue, uint8_t green,
                uint8_t red) {
    if (!mask) {
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
    } else if (IsWhite(p)) {
        out[0] = blue;
        out[1] = green;
        out[2] = red;
    }
}

std::unique_ptr<uint8_t[]> AllocateZeroed(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]());
}

}  // namespace

uint32_t RowStride(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) {
        return 0;
    }
    const uint64_t bytes = ((static_cast<uint64_t>(width) * bitsPerPixel + 31) >> 3) & ~uint64_t{3};
    return static_cast<uint32_t>(bytes);
}

void MakeBitmapHeader(BitmapInfoHeader* header, int width, int height, int bitsPerPixel, int dpiX,
                      int dpiY) {
    *header = BitmapInfoHeader{};
    header->biSize = kHeaderBytes;
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<uint16_t>(bitsPerPixel);
    header->biCompression = 0;
    header->biSizeImage =
        height > 0 ? static_cast<uint32_t>(height) * RowStride(width, bitsPerPixel) : 0;
    header->biXPelsPerMeter = static_cast<int32_t>(static_cast<uint32_t>(dpiX) * 10000u / 254u);
    header->biYPelsPerMeter = static_cast<int32_t>(static_cast<uint32_t>(dpiY) * 10000u / 254u);
    header->biClrUsed = bitsPerPixel <= 8 ? (1u << bitsPerPixel) : 0;
    header->biClrImportant = 0;
}

void FillPixels(uint8_t* dst, uint32_t colour, int count) {
    const uint8_t red = colour & 0xFF;
    const uint8_t green = (colour >> 8) & 0xFF;
    const uint8_t blue = (colour >> 16) & 0xFF;
    for (int i = 0; i < count; ++i) {
        dst[0] = blue;
        dst[1] = green;
        dst[2] = red;
        dst += 3;
    }
}

void ImageBuffer::Release() {
    block_.reset();
    blockBytes_ = 0;
    bits_ = nullptr;
    width_ = height_ = 0;
    stride_ = 0;
    bitsPerPixel_ = paletteCount_ = 0;
    dpiX_ = dpiY_ = 0;
    imageSize_ = 0;
}

int ImageBuffer::Create(const BitmapInfoHeader& header) {
    const int depth = header.biBitCount;
    if (!SupportedDepth(depth)) {
        return 0;  // the buffer keeps what it holds
    }
    if (header.biSize != kHeaderBytes || header.biWidth <= 0 || header.biWidth > kMaxDimension ||
        header.biHeight <= 0 || header.biHeight > kMaxDimension) {
        Release();
        return 0;
    }
    const uint32_t stride = RowStride(header.biWidth, depth);
    const uint64_t imageSize = static_cast<uint64_t>(stride) * header.biHeight;
    // The header's own image size is honoured when it is larger, so a caller that writes
    // biSizeImage bytes never runs past the block; a smaller one is never trusted.
    const uint64_t pixelBytes = std::max<uint64_t>(imageSize, header.biSizeImage);
    if (pixelBytes > kMaxImageBytes) {
        Release();
        return 0;
    }
    const size_t blockBytes = kHeaderBytes + 4 * PaletteEntries(depth) + pixelBytes;
    auto block = AllocateZeroed(blockBytes);
    Release();
    if (!block) {
        return 0;
    }
    BitmapInfoHeader stored = header;
    stored.biSizeImage = static_cast<uint32_t>(pixelBytes);
    std::memcpy(block.get(), &stored, kHeaderBytes);
    Adopt(std::move(block), blockBytes, false);
    return 1;
}

int ImageBuffer::Attach(std::unique_ptr<uint8_t[]> block, size_t blockBytes) {
    if (!block || blockBytes < kHeaderBytes) {
        return 0;
    }
    return Adopt(std::move(block), blockBytes, true);
}

int ImageBuffer::Adopt(std::unique_ptr<uint8_t[]> block, size_t blockBytes,
                       bool keepDpiFromHeader) {
    BitmapInfoHeader header;
    std::memcpy(&header, block.get(), kHeaderBytes);
    const int depth = header.biBitCount;
    if (!SupportedDepth(depth) || header.biSize != kHeaderBytes || header.biWidth <= 0 ||
        header.biWidth > kMaxDimension || header.biHeight <= 0 || header.biHeight > kMaxDimension) {
        return 0;
    }
    const uint32_t stride = RowStride(header.biWidth, depth);
    const uint64_t imageSize = static_cast<uint64_t>(stride) * header.biHeight;
    const size_t paletteBytes = 4 * PaletteEntries(depth);
    if (imageSize > kMaxImageBytes || blockBytes < kHeaderBytes + paletteBytes + imageSize) {
        return 0;
    }
    block_ = std::move(block);
    blockBytes_ = blockBytes;
    width_ = header.biWidth;
    height_ = header.biHeight;
    bitsPerPixel_ = depth;
    paletteCount_ = PaletteEntries(depth);
    stride_ = stride;
    imageSize_ = static_cast<uint32_t>(imageSize);
    bits_ = block_.get() + kHeaderBytes + paletteBytes;
    if (keepDpiFromHeader) {
        // 2834 and 2835 pixels per metre both read back as 72 dpi.
        auto dpi = [](int32_t perMetre) {
            const int64_t value = (static_cast<int64_t>(perMetre) + 1) * 254 / 10000;
            return static_cast<int>(std::clamp<int64_t>(value, -32768, 32767));
        };
        dpiX_ = dpi(header.biXPelsPerMeter);
        dpiY_ = dpi(header.biYPelsPerMeter);
    } else {
        dpiX_ = dpiY_ = 72;
    }
    return 1;
}

std::unique_ptr<uint8_t[]> ImageBuffer::Detach() {
    std::unique_ptr<uint8_t[]> block = std::move(block_);
    Release();
    return block;
}

BitmapInfoHeader ImageBuffer::Header() const {
    BitmapInfoHeader header;
    if (block_) {
        std::memcpy(&header, block_.get(), kHeaderBytes);
    }
    return header;
}

plat::DibView ImageBuffer::View() const {
    if (bitsPerPixel_ != 24) {
        return plat::DibView{};
    }
    return plat::DibView{width_, height_, static_cast<int>(stride_), bits_};
}

bool ImageBuffer::GetBit(const uint8_t* row, int x) const {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

void ImageBuffer::PutBit(uint8_t* row, int x, bool on) {
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
    if (on) {
        row[x >> 3] |= bit;
    } else {
        row[x >> 3] &= static_cast<uint8_t>(~bit);
    }
}

namespace {

bool SourceBit(const uint8_t* src, int i) {
    return (src[i >> 3] >> (7 - (i & 7))) & 1;
}

}  // namespace

void ImageBuffer::GetRow(int y, uint8_t* dst) const {
    std::memcpy(dst, RowPtr(y), stride_);
}

void ImageBuffer::SetRow(int y, const uint8_t* src) {
    std::memcpy(RowPtr(y), src, stride_);
}

int ImageBuffer::GetPixels(int x0, int x1, int y, uint8_t* dst) const {
    if (y < 0 || y >= height_ || x1 < x0) {
        return 0;
    }
    const uint8_t* row = RowPtr(y);
    const int n = x1 - x0 + 1;
    if (bitsPerPixel_ == 24) {
        std::memcpy(dst, row + 3 * x0, static_cast<size_t>(n) * 3);
        return 1;
    }
    std::memset(dst, 0, (n + 7) / 8);
    for (int i = 0; i < n; ++i) {
        if (GetBit(row, x0 + i)) {
            dst[i >> 3] |= static_cast<uint8_t>(0x80 >> (i & 7));
        }
    }
    return 1;
}

int ImageBuffer::SetPixels(int x0, int x1, int y, const uint8_t* src, bool reverse, bool mask,
                           uint8_t red, uint8_t green, uint8_t blue) {
    if (y < 0 || y >= height_ || x1 < x0) {
        return 0;
    }
    uint8_t* row = RowPtr(y);
    const int n = x1 - x0 + 1;
    if (bitsPerPixel_ == 24) {
        uint8_t* out = row + 3 * x0;
        if (!reverse && !mask) {
            std::memcpy(out, src, static_cast<size_t>(n) * 3);
            return 1;
        }
        for (int i = 0; i < n; ++i, out += 3) {
            StorePixel(out, src + 3 * (reverse ? n - 1 - i : i), mask, blue, green, red);
        }
        return 1;
    }
    // Depth 1: a set source bit paints "on" in mask mode when the colour is not black.
    const bool maskOn = (red | green | blue) != 0;
    for (int i = 0; i < n; ++i) {
        const bool bit = SourceBit(src, reverse ? n - 1 - i : i);
        if (!mask) {
            PutBit(row, x0 + i, bit);
        } else if (bit) {
            PutBit(row, x0 + i, maskOn);
        }
    }
    return 1;
}

void ImageBuffer::GetColumn(int x, int y0, int y1, uint8_t* dst) const {
    if (bitsPerPixel_ == 24) {
        for (int y = y0; y <= y1; ++y, dst += 3) {
            const uint8_t* p = RowPtr(y) + 3 * x;
            dst[0] = p[0];
            dst[1] = p[1];
            dst[2] = p[2];
        }
        return;
    }
    const int n = y1 - y0 + 1;
    if (n <= 0) {
        return;
    }
    std::memset(dst, 0, (n + 7) / 8);
    for (int i = 0; i < n; ++i) {
        if (GetBit(RowPtr(y0 + i), x)) {
            dst[i >> 3] |= static_cast<uint8_t>(0x80 >> (i & 7));
        }
    }
}

void ImageBuffer::SetColumn(int x, int y0, int y1, const uint8_t* src, bool reverse, bool mask,
                            uint8_t red, uint8_t green, uint8_t blue) {
    const int n = y1 - y0 + 1;
    const bool maskOn = (red | green | blue) != 0;
    for (int i = 0; i < n; ++i) {
        const int y = reverse ? y1 - i : y0 + i;
        uint8_t* row = RowPtr(y);
        if (bitsPerPixel_ == 24) {
            StorePixel(row + 3 * x, src + 3 * i, mask, blue, green, red);
        } else {
            const bool bit = SourceBit(src, i);
            if (!mask) {
                PutBit(row, x, bit);
            } else if (bit) {
                PutBit(row, x, maskOn);
            }
        }
    }
}

void ImageBuffer::CopyRect(int x0, int /*x1*/, int y0, int y1, uint8_t* dst,
                           uint32_t dstPitch) const {
    if (bitsPerPixel_ != 24 || x0 < 0 || x0 >= width_) {
        return;
    }
    const int yb = std::min(y1, height_ - 1);
    const uint32_t offset = 3u * static_cast<uint32_t>(x0);
    // A row is copied from pixel x0 to the end of its own stride at most, so the copy never
    // reaches into the neighbouring row or past the block.
    const uint32_t bytes = std::min(stride_ - offset, dstPitch);
    for (int y = yb; y >= std::max(y0, 0); --y) {
        std::memcpy(dst, RowPtr(y) + offset, bytes);
        dst += dstPitch;
    }
}

std::unique_ptr<ImageBuffer> ImageBuffer::Rotated(int angle) const {
    if (!block_ || (angle != 90 && angle != -90 && angle != 180)) {
        return nullptr;
    }
    if (angle == -90 && bitsPerPixel_ == 1) {
        return nullptr;
    }
    const bool quarter = angle != 180;
    const int newWidth = quarter ? height_ : width_;
    const int newHeight = quarter ? width_ : height_;
    BitmapInfoHeader header;
    MakeBitmapHeader(&header, newWidth, newHeight, bitsPerPixel_, dpiX_, dpiY_);
    auto turned = std::make_unique<ImageBuffer>();
    if (!turned->Create(header)) {
        return nullptr;
    }
    turned->dpiX_ = dpiX_;
    turned->dpiY_ = dpiY_;
    if (angle == 180) {
        for (int r = 0; r < newHeight; ++r) {
            turned->SetPixels(0, newWidth - 1, r, RowPtr(height_ - 1 - r), true, false, 0, 0, 0);
        }
        return turned;
    }
    const uint32_t scratchBytes = turned->stride_;
    std::vector<uint8_t> scratch(2 * static_cast<size_t>(scratchBytes));
    uint8_t* column = scratch.data();
    uint8_t* reversed = scratch.data() + scratchBytes;
    for (int r = 0; r < newHeight; ++r) {
        if (angle == 90) {
            GetColumn(width_ - 1 - r, 0, height_ - 1, column);
            turned->SetRow(r, column);
        } else {
            GetColumn(r, 0, height_ - 1, column);
            for (int i = 0; i < height_; ++i) {
                std::memcpy(reversed + 3 * i, column + 3 * (height_ - 1 - i), 3);
            }
            turned->SetRow(r, reversed);
        }
    }
    return turned;
}

}  // namespace imaging
