// Integer scaling of 24-bit pictures, one row at a time.
//
// Enlarging interpolates linearly by error stepping (additions and comparisons only);
// reducing averages runs of source pixels (a box filter). Channels are scaled independently.
#pragma once

#include <cstdint>

#include "imaging/image_buffer.h"

namespace imaging {

// rdiv(x, d) = (x + d / 2) / d: the rounding of every picture size computation.
inline int64_t RoundDiv(int64_t x, int64_t d) {
    return (x + d / 2) / d;
}

// Scales a row of `sourceWidth` 24-bit pixels to `targetWidth` pixels. Both widths must be
// at least 1; the destination holds targetWidth x 3 bytes.
void ScaleRowPlain(const uint8_t* src, uint8_t* dst, int sourceWidth, int targetWidth);

class Resampler {
  public:
    Resampler() = default;

    void SetSource(const ImageBuffer& source) { source_ = &source; }
    void SetDestination(ImageBuffer& destination) { destination_ = &destination; }
    void SetBackground(uint8_t blue, uint8_t green, uint8_t red);
    // Prepares ScaleRow for rows of w1 pixels scaled to w2 pixels (24-bit only).
    void SetupRow(int w1, int w2, int depth);
    void ScaleRow(const uint8_t* src, uint8_t* dst) const;

    // Draws the source scaled to width x height (0 = the destination's own) at (x0, y0) of the
    // destination. With `fullRows` every destination row is rewritten whole (margins in the
    // background colour); without it only the scaled pixels are written. Pixels that would
    // fall outside the destination are not written. 1 done; 0 when the pictures are not
    // 24-bit, an offset is negative, or the working memory cannot be had.
    int Resample(int width, int height, int x0, int y0, bool fullRows);

  private:
    const ImageBuffer* source_ = nullptr;
    ImageBuffer* destination_ = nullptr;
    int sourceWidth_ = 0;
    int targetWidth_ = 0;
    uint32_t rowBytes_ = 0;
    int backgroundRed_ = 0;
    int backgroundGreen_ = 0;
    int backgroundBlue_ = 0;
};

}  // namespace imaging
