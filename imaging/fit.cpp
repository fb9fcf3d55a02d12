#include "imaging/fit.h"

#include <algorithm>

#include "imaging/scaling.h"

namespace imaging {

namespace {

int Scaled(int value, int numerator, int denominator) {
    if (denominator <= 0) {
        return 1;
    }
    const int64_t v = RoundDiv(static_cast<int64_t>(value) * numerator, denominator);
    return static_cast<int>(std::clamp<int64_t>(v, 1, 0x7FFFFFFF));
}

}  // namespace

void FitSize(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, int* width,
             int* height) {
    int w = sourceWidth;
    int h = sourceHeight;
    const bool wide = sourceWidth > boxWidth;
    const bool high = sourceHeight > boxHeight;
    if (wide) {
        w = boxWidth;
        h = Scaled(sourceHeight, boxWidth, sourceWidth);
        if (h > boxHeight) {
            h = boxHeight;
            w = Scaled(sourceWidth, boxHeight, sourceHeight);
        }
    } else if (high) {
        h = boxHeight;
        w = Scaled(sourceWidth, boxHeight, sourceHeight);
    }
    *width = std::max(w, 1);
    *height = std::max(h, 1);
}

void CoverBox(int fileWidth, int fileHeight, int* boxWidth, int* boxHeight) {
    const int bw = *boxWidth;
    const int bh = *boxHeight;
    if (fileWidth > bw) {
        const int h = Scaled(fileHeight, bw, fileWidth);
        if (h >= bh) {
            *boxHeight = h;
        } else {
            *boxWidth = Scaled(fileWidth, bh, fileHeight);
        }
    } else if (fileHeight > bh) {
        const int w = Scaled(fileWidth, bh, fileHeight);
        if (w >= bw) {
            *boxWidth = w;
        } else {
            *boxHeight = Scaled(fileHeight, bw, fileWidth);
        }
    }
}

}  // namespace imaging
