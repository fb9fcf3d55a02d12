#include "sharing/background_compose.h"

#include <algorithm>
#include <new>

#include "imaging/scaling.h"

namespace {

bool BothTrueColour(const imaging::ImageBuffer& picture, const imaging::ImageBuffer& canvas) {
    return !picture.Empty() && !canvas.Empty() && picture.BitsPerPixel() == 24 &&
           canvas.BitsPerPixel() == 24;
}

// One row's worth of pixels, 4 bytes per pixel of the copied width; no full-size copy.
std::unique_ptr<uint8_t[]> RowBuffer(int pixels) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[static_cast<size_t>(pixels) * 4]);
}

// Where one axis of the picture lands: the first source pixel, the first canvas pixel and
// the count, for a picture of `size` on a canvas of `room`.
struct Span {
    int source = 0;
    int target = 0;
    int count = 0;
};

Span CenterSpan(int size, int room) {
    if (size <= room) {
        return Span{0, (room - size) / 2, size};
    }
    return Span{(size - room) / 2, 0, room};
}

}  // namespace

std::unique_ptr<imaging::ImageBuffer> MakeBackgroundCanvas(int width, int height, uint32_t colour) {
    if (width < 1 || height < 1 || width > imaging::kMaxDimension ||
        height > imaging::kMaxDimension) {
        return nullptr;
    }
    imaging::BitmapInfoHeader header;
    imaging::MakeBitmapHeader(&header, width, height, 24, 72, 72);
    const size_t bytes = imaging::kHeaderBytes + static_cast<size_t>(header.biSizeImage);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[bytes]);
    if (!block) {
        return nullptr;
    }
    std::copy_n(reinterpret_cast<const uint8_t*>(&header), imaging::kHeaderBytes, block.get());
    auto canvas = std::make_unique<imaging::ImageBuffer>();
    if (!canvas->Attach(std::move(block), bytes)) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        imaging::FillPixels(canvas->RowPtr(y), colour, width);
    }
    return canvas;
}

int ComposeCenter(const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas) {
    if (!BothTrueColour(picture, *canvas)) {
        return 0;
    }
    const Span across = CenterSpan(picture.Width(), canvas->Width());
    const Span down = CenterSpan(picture.Height(), canvas->Height());
    const std::unique_ptr<uint8_t[]> row = RowBuffer(across.count);
    if (!row) {
        return 0;
    }
    for (int i = 0; i < down.count; ++i) {
        picture.GetPixels(across.source, across.source + across.count - 1, down.source + i,
                          row.get());
        canvas->SetPixels(across.target, across.target + across.count - 1, down.target + i,
                          row.get(), false, false, 0, 0, 0);
    }
    return 1;
}

int ComposeFit(const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas) {
    if (!BothTrueColour(picture, *canvas)) {
        return 0;
    }
    imaging::Resampler resampler;
    resampler.SetDestination(*canvas);
    resampler.SetSource(picture);
    return resampler.Resample(0, 0, 0, 0, true);
}

int ComposeTile(const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas) {
    if (!BothTrueColour(picture, *canvas)) {
        return 0;
    }
    const int tileWidth = std::min(picture.Width(), canvas->Width());
    const std::unique_ptr<uint8_t[]> row = RowBuffer(tileWidth);
    if (!row) {
        return 0;
    }
    int r = 0;
    for (int y = 0; y < canvas->Height(); ++y) {
        picture.GetPixels(0, tileWidth - 1, r, row.get());
        for (int x = 0; x < canvas->Width(); x += tileWidth) {
            const int last = std::min(x + tileWidth, canvas->Width()) - 1;
            canvas->SetPixels(x, last, y, row.get(), false, false, 0, 0, 0);
        }
        if (++r == picture.Height()) {
            r = 0;
        }
    }
    return 1;
}
