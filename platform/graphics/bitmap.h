// 24-bit device-independent bitmaps: the platform's picture format for blits and caches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

// Bytes per row of a 24-bit DIB: padded to a multiple of 4.
inline int DibStride(int width) {
    return ((width * 3) + 3) & ~3;
}

// A read-only look at 24-bit pixels (bytes blue, green, red). Rows are stored bottom-up:
// the first row in memory is the bottom row of the picture, as in a packed DIB.
struct DibView {
    int width = 0;
    int height = 0;
    int stride = 0;
    const uint8_t* bits = nullptr;

    // Row y counted from the top of the picture.
    const uint8_t* Row(int y) const { return bits + static_cast<size_t>(height - 1 - y) * stride; }
    bool Empty() const { return width <= 0 || height <= 0 || bits == nullptr; }
};

// An owned 24-bit bottom-up bitmap.
class Bitmap {
  public:
    Bitmap() = default;
    // Returns null when the size is not positive or too large to allocate sensibly.
    static std::unique_ptr<Bitmap> Create(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return DibStride(width_); }
    uint8_t* Bits() { return pixels_.data(); }
    const uint8_t* Bits() const { return pixels_.data(); }
    uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(height_ - 1 - y) * Stride(); }
    const uint8_t* Row(int y) const {
        return pixels_.data() + static_cast<size_t>(height_ - 1 - y) * Stride();
    }
    DibView View() const { return DibView{width_, height_, Stride(), pixels_.data()}; }
    size_t ByteSize() const { return pixels_.size(); }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace plat
