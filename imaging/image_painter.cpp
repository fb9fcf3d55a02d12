#include "imaging/image_painter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/image_buffer.h"
#include "platform/graphics/bitmap.h"

namespace {

template <typename T>
std::unique_ptr<T[]> Allocate(size_t count) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

// The part of the source rectangle that lies inside the picture, as half-open ranges.
struct SourceSpan {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int Width() const { return std::max(right - left, 0); }
};

SourceSpan ClipToPicture(const plat::Rect& src, const imaging::ImageBuffer& image) {
    SourceSpan s;
    s.left = std::max(src.left, 0);
    s.right = std::min(src.right, image.Width());
    s.top = std::max(src.top, 0);
    s.bottom = std::min(src.bottom, image.Height());
    return s;
}

// Makes destination lines one at a time, top to bottom, at one zoom. Working memory is taken
// once by Init; a line is written as `width` 24-bit pixels.
class LineMaker {
  public:
    LineMaker(const imaging::ImageBuffer& image, const plat::Rect& src, int zoom, int width)
        : image_(image), src_(src), zoom_(zoom), width_(width), span_(ClipToPicture(src, image)) {}

    bool Init() {
        const size_t lineBytes = static_cast<size_t>(width_) * 3;
        line_ = Allocate<uint8_t>(lineBytes);
        if (!line_)
            return false;
        if (zoom_ <= -2) {
            const size_t spanBytes = static_cast<size_t>(std::max(span_.Width(), 1)) * 3;
            sums_ = Allocate<uint32_t>(spanBytes);
            averaged_ = Allocate<uint8_t>(spanBytes);
            if (!sums_ || !averaged_)
                return false;
        }
        return true;
    }

    // Destination line `j` (0 = the top line of the destination rectangle) into `out`.
    void Make(int j, uint8_t* out) {
        if (zoom_ >= 2) {
            Magnified(j, out);
        } else if (zoom_ <= -2) {
            Reduced(j, out);
        } else {
            Actual(j, out);
        }
    }

  private:
    void Actual(int j, uint8_t* out) const {
        std::memset(out, 0, static_cast<size_t>(width_) * 3);
        const int row = src_.top + j;
        if (row < 0 || row >= image_.Height())
            return;
        // At actual size the copy is as wide as the destination, whatever src.right says.
        const int first = std::max(src_.left, 0);
        const int last = std::min(src_.left + width_, image_.Width());
        if (first >= last)
            return;
        std::memcpy(out + (first - src_.left) * 3, image_.RowPtr(row) + first * 3,
                    static_cast<size_t>(last - first) * 3);
    }

    void Magnified(int j, uint8_t* out) {
        // Each source row is widened once; the lines that repeat it are copies, also when
        // they fall into the next band.
        const int row = src_.top + j / zoom_;
        if (row != lineRow_) {
            lineRow_ = row;
            std::memset(line_.get(), 0, static_cast<size_t>(width_) * 3);
            if (row >= span_.top && row < span_.bottom) {
                const uint8_t* in = image_.RowPtr(row);
                uint8_t* p = line_.get();
                for (int x = 0; x < width_; ++x, p += 3) {
                    const int c = src_.left + x / zoom_;
                    if (c < span_.left || c >= span_.right)
                        continue;
                    p[0] = in[c * 3];
                    p[1] = in[c * 3 + 1];
                    p[2] = in[c * 3 + 2];
                }
            }
        }
        std::memcpy(out, line_.get(), static_cast<size_t>(width_) * 3);
    }

    void Reduced(int j, uint8_t* out) {
        const int n = -zoom_;
        std::memset(out, 0, static_cast<size_t>(width_) * 3);
        // Destination line j always averages the same group of n source rows, so no band
        // boundary shifts the picture; the last group may be shorter.
        const int first = std::max(src_.top + j * n, span_.top);
        const int last = std::min(src_.top + j * n + n, span_.bottom);
        const int spanWidth = span_.Width();
        if (first >= last || spanWidth <= 0)
            return;
        const size_t bytes = static_cast<size_t>(spanWidth) * 3;
        std::fill(sums_.get(), sums_.get() + bytes, 0u);
        for (int r = first; r < last; ++r) {
            const uint8_t* in = image_.RowPtr(r) + span_.left * 3;
            for (size_t b = 0; b < bytes; ++b)
                sums_[b] += in[b];
        }
        const uint32_t rows = static_cast<uint32_t>(last - first);
        for (size_t b = 0; b < bytes; ++b)
            averaged_[b] = static_cast<uint8_t>(sums_[b] / rows);

        uint8_t* p = out;
        for (int x = 0; x < width_; ++x, p += 3) {
            const int c0 = std::max(src_.left + x * n, span_.left);
            const int c1 = std::min(src_.left + x * n + n, span_.right);
            if (c0 >= c1)
                continue;
            uint32_t b = 0, g = 0, r = 0;
            for (int c = c0; c < c1; ++c) {
                const uint8_t* q = averaged_.get() + (c - span_.left) * 3;
                b += q[0];
                g += q[1];
                r += q[2];
            }
            const uint32_t count = static_cast<uint32_t>(c1 - c0);
            p[0] = static_cast<uint8_t>(b / count);
            p[1] = static_cast<uint8_t>(g / count);
            p[2] = static_cast<uint8_t>(r / count);
        }
    }

    const imaging::ImageBuffer& image_;
    plat::Rect src_;
    int zoom_;
    int width_;
    SourceSpan span_;
    std::unique_ptr<uint8_t[]> line_;
    int lineRow_ = -1 - (1 << 30);
    std::unique_ptr<uint32_t[]> sums_;
    std::unique_ptr<uint8_t[]> averaged_;
};

}  // namespace

void ImagePainter::SetZoom(int zoom) {
    zoom_ = (zoom == 0 || zoom == -1) ? 1 : zoom;
}

int ImagePainter::Draw(plat::Canvas& canvas, const imaging::ImageBuffer& image,
                       const plat::Rect& dst, const plat::Rect& src, int zoom) {
    if (zoom != 0)
        SetZoom(zoom);
    lastBands_.clear();
    if (image.Empty() || image.BitsPerPixel() != 24)
        return 0;
    const int width = dst.Width();
    const int height = dst.Height();
    if (width <= 0 || height <= 0)
        return 1;

    const int bandLines = std::min(height, kMaxBandLines);
    const int bandStride = plat::DibStride(width);
    auto band = Allocate<uint8_t>(static_cast<size_t>(bandStride) * bandLines);
    LineMaker maker(image, src, zoom_, width);
    if (!band || !maker.Init())
        return 0;

    // The band is a bottom-up DIB: its line k is row k counted from the top.
    const plat::DibView view{width, bandLines, bandStride, band.get()};
    int line = 0;
    while (line < height) {
        const int lines = std::min(bandLines, height - line);
        for (int k = 0; k < lines; ++k) {
            maker.Make(line + k, band.get() + static_cast<size_t>(bandLines - 1 - k) * bandStride);
        }
        canvas.DrawDib(dst.left, dst.top + line, width, lines, view, 0, 0);
        lastBands_.push_back(lines);
        line += lines;
    }
    return 1;
}
