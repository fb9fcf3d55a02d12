// Puts a rectangle of a picture on a canvas at actual size, magnified n times or reduced to
// 1/n, through a small band bitmap so that memory stays bounded whatever the picture's size.
// The image view draws with it at its zoom factor; the slide show draws every frame with it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/graphics/geometry.h"

namespace imaging {
class ImageBuffer;
}

class ImagePainter {
  public:
    // The tallest band drawn at once.
    static constexpr int kMaxBandLines = 50;

    // 1 = actual size, n >= 2 magnifies n times, -n (n >= 2) reduces to 1/n. 0 and -1 mean 1.
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }

    // Draws `src` (picture pixels, right and bottom exclusive) of a 24-bit picture into `dst`
    // (canvas coordinates, right and bottom exclusive). A non-zero `zoom` is set first; 0 draws
    // at the current zoom. At zoom 1 only the source's top-left counts (the copy is dst-sized);
    // when magnifying, destination pixel (x, y) shows source pixel (src.left + x / n,
    // src.top + y / n); when reducing, it is the average of the n x n block that starts at
    // (src.left + x * n, src.top + y * n), cut short at the source rectangle's right and bottom
    // edges and averaged over the pixels that remain. Parts that fall outside the picture or
    // the source rectangle are black; the canvas clips as usual.
    // Returns 1, or 0 when the working memory cannot be had or the picture is not 24-bit
    // (nothing is drawn then).
    int Draw(plat::Canvas& canvas, const imaging::ImageBuffer& image, const plat::Rect& dst,
             const plat::Rect& src, int zoom);

    // The line counts of the bands of the last Draw, top to bottom.
    const std::vector<int>& LastBands() const { return lastBands_; }

  private:
    int zoom_ = 1;
    std::vector<int> lastBands_;
};
