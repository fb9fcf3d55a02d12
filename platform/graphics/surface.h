// A block of 24-bit pixels (blue, green, red), rows top-down: the screen's framebuffer, or a
// memory surface that a picture is prepared in before it is copied to the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/geometry.h"

namespace plat {

class Surface {
  public:
    Surface() = default;
    Surface(int width, int height) { Resize(width, height); }

    void Resize(int width, int height) {
        width_ = width > 0 ? width : 0;
        height_ = height > 0 ? height : 0;
        pixels_.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return width_ * 3; }
    uint8_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
    const uint8_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * Stride(); }
    uint8_t* Data() { return pixels_.data(); }
    const uint8_t* Data() const { return pixels_.data(); }

    Color Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0;
        const uint8_t* p = Row(y) + x * 3;
        return Rgb(p[2], p[1], p[0]);
    }
    void SetPixel(int x, int y, Color c) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return;
        uint8_t* p = Row(y) + x * 3;
        p[0] = static_cast<uint8_t>(BlueOf(c));
        p[1] = static_cast<uint8_t>(GreenOf(c));
        p[2] = static_cast<uint8_t>(RedOf(c));
    }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};

}  // namespace plat
