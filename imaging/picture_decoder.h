// The decoder for pictures that are neither JPEG nor BMP: GIF through giflib.
//
// A GIF is decoded whole: its first frame drawn at its position on the logical screen, which
// is first filled with the background colour; transparent pixels show that background.
// The result is a full-size 24-bit bottom-up bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/image_buffer.h"
#include "platform/graphics/bitmap.h"

namespace imaging {

// The largest logical screen decoded: the view keeps a full-size copy of such a picture.
constexpr int kMaxDecodedSide = 10000;
constexpr int64_t kMaxDecodedPixels = int64_t{1} << 23;

class PictureDecoder {
  public:
    PictureDecoder() = default;
    virtual ~PictureDecoder() = default;

    // 1 when the file could be opened; afterwards `bitmap` holds the picture, or is null when
    // the file could not be decoded or its screen exceeds the limits (maxWidth x maxHeight and
    // kMaxDecodedPixels).
    int DecodeFile(const std::string& path, int depth = 24, int maxWidth = kMaxDecodedSide,
                   int maxHeight = kMaxDecodedSide);
    std::unique_ptr<plat::Bitmap> TakeBitmap() { return std::move(bitmap); }

    int height = 0;
    int width = 0;
    std::unique_ptr<plat::Bitmap> bitmap;
    int bitDepth = 24;
};

// Decodes a whole picture. In: the largest width and height accepted (null: 10000); out: the
// bitmap's size. Null when the file cannot be decoded.
std::unique_ptr<plat::Bitmap> DecodeToBitmap(const std::string& path, int* maxWidth,
                                             int* maxHeight);

// A packed 24-bit picture of the bitmap fitted into the box (reduced by whole percents,
// never enlarged). 1 done, 0 when no memory.
int BitmapToPackedDib(const plat::Bitmap& bitmap, int boxWidth, int boxHeight, ImageBuffer* packed);

// Loads a picture through this decoder for viewing, turned by the orientation (0 as stored,
// 1 clockwise, 2 counter-clockwise). The out sizes receive the picture's size, 0 on failure.
int LoadDecodedPicture(const std::string& path, ImageBuffer* image, int orientation, int* fileWidth,
                       int* fileHeight);

}  // namespace imaging
