// The in-memory picture: one heap block laid out as a packed device-independent bitmap.
//
// The block holds a 40-byte BITMAPINFOHEADER, a palette (depth 1 only) and the pixel rows.
// Rows are padded to 4 bytes and stored bottom-up; every accessor takes a top-down row index.
// 24-bit pixels are bytes blue, green, red; 1-bit pixels are packed most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/graphics/bitmap.h"

namespace imaging {

// The Windows BITMAPINFOHEADER, byte for byte (little-endian host).
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");

constexpr int kHeaderBytes = 40;
// Picture dimensions are signed 16-bit values.
constexpr int kMaxDimension = 32767;
// The largest pixel block a picture may take; bigger requests are refused, never wrapped.
constexpr size_t kMaxImageBytes = size_t{256} << 20;

// Bytes of one stored row: width x depth bits rounded up to a multiple of 4 bytes.
// Returns 0 for a width that is not positive.
uint32_t RowStride(int width, int bitsPerPixel);

// Fills a header for a bottom-up uncompressed picture (biClrUsed = 2^depth up to 8 bits).
void MakeBitmapHeader(BitmapInfoHeader* header, int width, int height, int bitsPerPixel, int dpiX,
                      int dpiY);

// Writes `count` 24-bit pixels of `colour` (0x00BBGGRR) as bytes blue, green, red.
void FillPixels(uint8_t* dst, uint32_t colour, int count);

class ImageBuffer {
  public:
    ImageBuffer() = default;
    ~ImageBuffer() = default;
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // Frees the block and empties the buffer.
    void Release();

    // Allocates a zero-filled block for the header's size and copies the header into it.
    // Refuses depths other than 1 and 24, sizes outside 1..32767 and blocks above
    // kMaxImageBytes; on failure (refusal or no memory) the buffer is left empty and 0 returned.
    int Create(const BitmapInfoHeader& header);

    // Adopts a packed bitmap block of `blockBytes` bytes without copying. The block must hold
    // its header, palette and every row; otherwise it is refused (and freed) and 0 returned.
    int Attach(std::unique_ptr<uint8_t[]> block, size_t blockBytes);
    // Hands the block to a new owner and leaves the buffer empty.
    std::unique_ptr<uint8_t[]> Detach();

    bool Empty() const { return !block_; }
    const uint8_t* Info() const { return block_.get(); }
    BitmapInfoHeader Header() const;
    uint8_t* Bits() { return bits_; }
    const uint8_t* Bits() const { return bits_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t Stride() const { return stride_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    int PaletteCount() const { return paletteCount_; }
    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    uint32_t ImageSize() const { return imageSize_; }
    size_t BlockSize() const { return blockBytes_; }

    // Memory of row y (top-down). Callers keep y inside the picture.
    uint8_t* RowPtr(int y) { return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_; }
    const uint8_t* RowPtr(int y) const {
        return bits_ + static_cast<size_t>(height_ - 1 - y) * stride_;
    }
    // A read-only look at a 24-bit picture for the platform's blits.
    plat::DibView View() const;

    void GetRow(int y, uint8_t* dst) const;
    void SetRow(int y, const uint8_t* src);
    // Pixels x0..x1 of row y; 0 and nothing copied when y is outside the picture.
    int GetPixels(int x0, int x1, int y, uint8_t* dst) const;
    // With `reverse` the source run is mirrored; with `mask` only exactly white source pixels
    // are painted, in the given colour, and the others leave the picture as it was.
    int SetPixels(int x0, int x1, int y, const uint8_t* src, bool reverse, bool mask, uint8_t red,
                  uint8_t green, uint8_t blue);
    void GetColumn(int x, int y0, int y1, uint8_t* dst) const;
    // Writes column x from y0 down to y1, or with `reverse` from y1 up to y0.
    void SetColumn(int x, int y0, int y1, const uint8_t* src, bool reverse, bool mask, uint8_t red,
                   uint8_t green, uint8_t blue);
    // Copies rows min(y1, height - 1) down to y0 (bottom-up order) from pixel x0 on, each row
    // at most `dstPitch` bytes and never past the end of the picture's row.
    void CopyRect(int x0, int x1, int y0, int y1, uint8_t* dst, uint32_t dstPitch) const;

    // A new picture turned by +90 (counter-clockwise), -90 (clockwise) or 180 degrees; null on
    // failure (no memory, another angle, or a -90 turn of a 1-bit picture).
    std::unique_ptr<ImageBuffer> Rotated(int angle) const;

  private:
    int Adopt(std::unique_ptr<uint8_t[]> block, size_t blockBytes, bool keepDpiFromHeader);
    bool GetBit(const uint8_t* row, int x) const;
    void PutBit(uint8_t* row, int x, bool on);

    std::unique_ptr<uint8_t[]> block_;
    size_t blockBytes_ = 0;
    uint8_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    uint32_t stride_ = 0;
    int bitsPerPixel_ = 0;
    int paletteCount_ = 0;
    int dpiX_ = 0;
    int dpiY_ = 0;
    uint32_t imageSize_ = 0;
};

}  // namespace imaging
