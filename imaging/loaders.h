// Turning picture files into ImageBuffers of a size chosen for the screen, and thumbnails.
//
// JPEG and BMP pictures are reduced while they are decoded, row by row, so a full-size copy of
// them never exists in memory. GIF (and anything that is neither JPEG nor BMP) goes through
// the whole-picture decoder. Orientation: 0 as stored, 1 turned right (clockwise), 2 turned
// left (counter-clockwise); the picture is turned while it is stored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/image_buffer.h"
#include "platform/graphics/bitmap.h"

namespace imaging {

// What the loaders need to know of the application.
struct ImagingContext {
    int screenWidth = 176;
    int screenHeight = 220;
    int loadSizeLevel = 0;  // memory level 0, 1 or 2: the view box is the screen x (level + 1)
    int orientation = 0;    // 0, 1 or 2 (see above)
    int thumbMaxView = 0;   // 1: thumbnails cover their box ("Maximum Thumbnail View")
    // 1: JPEG camera pictures are shown upright by their EXIF orientation, before the
    // orientation above ("Auto-rotate camera pictures").
    int autoRotate = 1;

    bool operator==(const ImagingContext&) const = default;
};

// The next-row function of a decoder: writes one row of 24-bit pixels and returns 1, or 0
// when the data has ended (the row then holds what could be read, black beyond).
class RowSource {
  public:
    virtual ~RowSource() = default;
    virtual int NextRow(uint8_t* row) = 0;
};

// Loads a picture for the image view (fit 0), the slide show (fit 1) or the Home Screen
// background (fit 0, keep 1: the stored orientation). The out sizes (may be null) receive the
// file's own size on the view and whole-picture paths (turned as the camera meant it); the
// fitted path leaves them alone. Camera pictures are made upright first (autoRotate).
// 1 loaded, 0 failed.
int LoadImageFile(const std::string& path, ImageBuffer* image, int fit, int keepStoredOrientation,
                  const ImagingContext& context, int* fileWidth = nullptr,
                  int* fileHeight = nullptr);

// A JPEG or BMP picture at the view box of the memory level (twice the box at most for BMP;
// the JPEG decoder's nearest covering size for JPEG). When the picture cannot be allocated the
// load is retried once at half the size. 1 / 0.
int LoadImageForView(const std::string& path, ImageBuffer* image, int fileType, int orientation,
                     const ImagingContext& context, int* fileWidth, int* fileHeight);

// A JPEG or BMP picture fitted into the box, never enlarged. With `doubleBox` the JPEG is
// decoded for twice the box (better averaging) and, when thumbMaxView is 1, the box is grown
// so that the picture covers it. The box is given in the file's own orientation. 1 / 0.
int LoadImageFitted(const std::string& path, ImageBuffer* image, int boxWidth, int boxHeight,
                    int* fileWidth, int* fileHeight, int fileType, int doubleBox, int orientation,
                    const ImagingContext& context);

// Stores sourceWidth x sourceHeight rows from `source` into the created picture, turned by the
// orientation, scaling each row to the line length and averaging rows down to the line count.
// Rows after the last line are never read. `topDown`: the source delivers the top row first.
int StoreDecodedRows(ImageBuffer* image, int sourceWidth, int sourceHeight, int topDown,
                     int orientation, RowSource& source);

// A JPEG or BMP thumbnail fitted into the box (decoded for twice the box, stored orientation).
std::unique_ptr<ImageBuffer> LoadThumbnailImage(const std::string& path, int boxWidth,
                                                int boxHeight, const ImagingContext& context,
                                                int* fileWidth, int* fileHeight);

// The thumbnail bitmap of any picture file. In: the thumbnail box; out: the file's own picture
// size (0 on failure). Null when the file cannot be decoded.
std::unique_ptr<plat::Bitmap> LoadThumbnailBitmap(const std::string& path,
                                                  const ImagingContext& context, int* width,
                                                  int* height);

}  // namespace imaging
