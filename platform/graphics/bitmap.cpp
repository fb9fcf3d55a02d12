#include "platform/graphics/bitmap.h"

namespace plat {

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height) {
    // 32767 x 32767 is the widest a 16-bit picture dimension reaches; refuse blocks above 1 GiB.
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) {
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(DibStride(width)) * static_cast<size_t>(height);
    if (bytes > (size_t{1} << 30)) {
        return nullptr;
    }
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width_ = width;
    bitmap->height_ = height;
    bitmap->pixels_.assign(bytes, 0);
    return bitmap;
}

}  // namespace plat
