#include "imaging/loaders.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/bmp_reader.h"
#include "imaging/fit.h"
#include "imaging/jpeg_codec.h"
#include "imaging/picture_decoder.h"
#include "imaging/picture_type.h"
#include "imaging/scaling.h"

namespace imaging {

namespace {

class JpegRows : public RowSource {
  public:
    ~JpegRows() override { CloseFile(); }
    int NextRow(uint8_t* row) override { return GetJPGFileData(row); }
};

class BmpRows : public RowSource {
  public:
    explicit BmpRows(BmpReader& reader) : reader_(reader) {}
    int NextRow(uint8_t* row) override { return reader_.ReadRow(row); }

  private:
    BmpReader& reader_;
};

int SaneOrientation(int orientation) {
    return orientation == 1 || orientation == 2 ? orientation : 0;
}

void ViewBox(const ImagingContext& context, int* width, int* height) {
    const int level = std::clamp(context.loadSizeLevel, 0, 2);
    *width = context.screenWidth * (level + 1);
    *height = context.screenHeight * (level + 1);
}

void SetSize(int* width, int* height, int w, int h) {
    if (width) {
        *width = w;
    }
    if (height) {
        *height = h;
    }
}

// Opens a BMP file and reads its palette; 1 when the reader can convert it.
int OpenBmp(BmpReader& reader, const std::string& path, int* width, int* height) {
    int depth = 0;
    if (!reader.Open(path, width, height, &depth)) {
        return 0;
    }
    if (depth <= 8) {
        reader.ReadPalette(1 << depth);  // a short palette leaves its missing entries black
    }
    return 1;
}

int CreatePicture(ImageBuffer* image, int width, int height, int orientation) {
    BitmapInfoHeader header;
    if (orientation != 0) {
        std::swap(width, height);
    }
    MakeBitmapHeader(&header, width, height, 24, 72, 72);
    return image->Create(header);
}

// "Maximum Thumbnail View": grows the box so the picture covers it. A JPEG decode was opened
// for twice the old box, which for a wide or tall picture is a narrow strip: it is opened again
// for twice the covered box, so the decoder delivers enough rows and columns to fill it.
int CoverBoxAndReopen(const std::string& path, int fileType, int fileWidth, int fileHeight,
                      int* boxWidth, int* boxHeight, int* sourceWidth, int* sourceHeight) {
    const int oldWidth = *boxWidth;
    const int oldHeight = *boxHeight;
    CoverBox(fileWidth, fileHeight, boxWidth, boxHeight);
    if (fileType != kPictureJpeg || (*boxWidth == oldWidth && *boxHeight == oldHeight)) {
        return 1;
    }
    CloseFile();
    *sourceWidth = static_cast<int>(std::min<int64_t>(2 * int64_t{*boxWidth}, kMaxDimension));
    *sourceHeight = static_cast<int>(std::min<int64_t>(2 * int64_t{*boxHeight}, kMaxDimension));
    return GetJPGFileHeader(path, nullptr, nullptr, sourceWidth, sourceHeight, nullptr);
}

// Where each target line of StoreDecodedRows goes.
class LineWriter {
  public:
    LineWriter(ImageBuffer* image, int orientation, bool topDown)
        : image_(image), orientation_(orientation) {
        if (orientation == 0) {
            index_ = topDown ? 0 : image->Height() - 1;
            step_ = topDown ? 1 : -1;
        } else {
            const bool forward = (orientation == 1 && !topDown) || (orientation == 2 && topDown);
            index_ = forward ? 0 : image->Width() - 1;
            step_ = forward ? 1 : -1;
        }
    }
    // Memory to decode line straight into, when the line is an image row.
    uint8_t* DirectRow() { return orientation_ == 0 ? image_->RowPtr(index_) : nullptr; }
    void Write(const uint8_t* line) {
        if (orientation_ == 0) {
            if (line != image_->RowPtr(index_)) {
                std::memcpy(image_->RowPtr(index_), line, image_->Stride());
            }
        } else {
            image_->SetColumn(index_, 0, image_->Height() - 1, line, orientation_ == 2, false, 0, 0,
                              0);
        }
        index_ += step_;
    }

  private:
    ImageBuffer* image_;
    int orientation_;
    int index_ = 0;
    int step_ = 1;
};

}  // namespace

int StoreDecodedRows(ImageBuffer* image, int sourceWidth, int sourceHeight, int topDown,
                     int orientation, RowSource& source) {
    if (!image || image->Empty() || image->BitsPerPixel() != 24 || sourceWidth <= 0 ||
        sourceHeight <= 0) {
        return 0;
    }
    orientation = SaneOrientation(orientation);
    const int w = image->Width();
    const int h = image->Height();
    const int length = orientation == 0 ? w : h;
    const int lines = orientation == 0 ? h : w;
    LineWriter writer(image, orientation, topDown != 0);

    // The decoder writes a whole stored row (up to its 4-byte padding) into the row buffer.
    std::vector<uint8_t> row(RowStride(sourceWidth, 24), 0);
    if (sourceWidth == length && sourceHeight == lines) {
        for (int i = 0; i < lines; ++i) {
            uint8_t* direct = writer.DirectRow();
            uint8_t* target = direct ? direct : row.data();
            const int more = source.NextRow(target);
            writer.Write(target);
            if (!more) {
                break;  // the data has ended: the remaining lines stay black
            }
        }
        return 1;
    }

    const size_t lineBytes = orientation == 0 ? image->Stride() : ((h + 1) * 3) & ~3;
    std::vector<uint8_t> line(lineBytes, 0);
    std::vector<uint32_t> sums(lineBytes, 0);
    uint32_t count = 0;
    int e = sourceHeight / 2;
    int written = 0;
    for (int j = 0; j < sourceHeight && written < lines; ++j) {
        // A source that has run out of data (a short file) ends the picture with this line;
        // the lines below stay black instead of averaging thousands of empty rows.
        const bool ended = !source.NextRow(row.data());
        ScaleRowPlain(row.data(), line.data(), sourceWidth, length);
        e += lines;
        if (e >= sourceHeight || written == lines - 1 || ended) {
            for (size_t i = 0; i < lineBytes; ++i) {
                line[i] = static_cast<uint8_t>((sums[i] + line[i]) / (count + 1));
                sums[i] = 0;
            }
            count = 0;
            e -= sourceHeight;
            writer.Write(line.data());
            ++written;
            if (ended) {
                break;
            }
        } else {
            for (size_t i = 0; i < lineBytes; ++i) {
                sums[i] += line[i];
            }
            ++count;
        }
    }
    return 1;
}

int LoadImageForView(const std::string& path, ImageBuffer* image, int fileType, int orientation,
                     const ImagingContext& context, int* fileWidth, int* fileHeight) {
    SetSize(fileWidth, fileHeight, 0, 0);
    if (fileType != kPictureJpeg && fileType != kPictureBmp) {
        return 0;
    }
    orientation = SaneOrientation(orientation);
    int wantWidth = 0, wantHeight = 0;
    ViewBox(context, &wantWidth, &wantHeight);
    if (orientation != 0) {
        std::swap(wantWidth, wantHeight);
    }
    int width = 0, height = 0;
    int decodeWidth = wantWidth, decodeHeight = wantHeight;
    JpegRows jpegRows;  // closes the JPEG decode on every path
    BmpReader reader;
    if (fileType == kPictureJpeg) {
        if (!GetJPGFileHeader(path, &width, &height, &decodeWidth, &decodeHeight, nullptr)) {
            return 0;
        }
    } else {
        if (!OpenBmp(reader, path, &width, &height)) {
            return 0;
        }
        decodeWidth = width;
        decodeHeight = height;
        if (width > 2 * wantWidth || height > 2 * wantHeight) {
            FitSize(width, height, 2 * wantWidth, 2 * wantHeight, &decodeWidth, &decodeHeight);
        }
    }
    SetSize(fileWidth, fileHeight, width, height);

    if (!CreatePicture(image, decodeWidth, decodeHeight, orientation)) {
        // Not enough memory: once more at half the size.
        decodeWidth >>= 1;
        decodeHeight >>= 1;
        if (decodeWidth < 1 || decodeHeight < 1) {
            return 0;
        }
        if (fileType == kPictureJpeg) {
            CloseFile();
            if (!GetJPGFileHeader(path, nullptr, nullptr, &decodeWidth, &decodeHeight, nullptr)) {
                return 0;
            }
        }
        if (!CreatePicture(image, decodeWidth, decodeHeight, orientation)) {
            return 0;
        }
    }
    if (fileType == kPictureJpeg) {
        return StoreDecodedRows(image, decodeWidth, decodeHeight, 1, orientation, jpegRows);
    }
    BmpRows bmpRows(reader);
    return StoreDecodedRows(image, width, height, 0, orientation, bmpRows);
}

int LoadImageFitted(const std::string& path, ImageBuffer* image, int boxWidth, int boxHeight,
                    int* fileWidth, int* fileHeight, int fileType, int doubleBox, int orientation,
                    const ImagingContext& context) {
    SetSize(fileWidth, fileHeight, 0, 0);
    if ((fileType != kPictureJpeg && fileType != kPictureBmp) || boxWidth < 1 || boxHeight < 1) {
        return 0;
    }
    orientation = SaneOrientation(orientation);
    int sourceWidth = doubleBox ? 2 * boxWidth : boxWidth;
    int sourceHeight = doubleBox ? 2 * boxHeight : boxHeight;
    int width = 0, height = 0;
    JpegRows jpegRows;
    BmpReader reader;
    if (fileType == kPictureJpeg) {
        if (!GetJPGFileHeader(path, &width, &height, &sourceWidth, &sourceHeight, nullptr)) {
            return 0;
        }
    } else {
        if (!OpenBmp(reader, path, &width, &height)) {
            return 0;
        }
        sourceWidth = width;
        sourceHeight = height;
    }
    if (doubleBox && context.thumbMaxView == 1 &&
        !CoverBoxAndReopen(path, fileType, width, height, &boxWidth, &boxHeight, &sourceWidth,
                           &sourceHeight)) {
        return 0;
    }
    SetSize(fileWidth, fileHeight, width, height);

    int pictureWidth = 0, pictureHeight = 0;
    FitSize(sourceWidth, sourceHeight, boxWidth, boxHeight, &pictureWidth, &pictureHeight);
    if (!CreatePicture(image, pictureWidth, pictureHeight, orientation)) {
        return 0;
    }
    if (fileType == kPictureJpeg) {
        return StoreDecodedRows(image, sourceWidth, sourceHeight, 1, orientation, jpegRows);
    }
    BmpRows bmpRows(reader);
    return StoreDecodedRows(image, sourceWidth, sourceHeight, 0, orientation, bmpRows);
}

int LoadImageFile(const std::string& path, ImageBuffer* image, int fit, int keepStoredOrientation,
                  const ImagingContext& context, int* fileWidth, int* fileHeight) {
    const int orientation = keepStoredOrientation ? 0 : SaneOrientation(context.orientation);
    const int type = PictureTypeFromContent(path);
    if (type == kPictureJpeg || type == kPictureBmp) {
        if (!fit) {
            return LoadImageForView(path, image, type, orientation, context, fileWidth, fileHeight);
        }
        int boxWidth = 0, boxHeight = 0;
        ViewBox(context, &boxWidth, &boxHeight);
        if (orientation != 0) {
            std::swap(boxWidth, boxHeight);
        }
        int ignoredWidth = 0, ignoredHeight = 0;
        return LoadImageFitted(path, image, boxWidth, boxHeight, &ignoredWidth, &ignoredHeight,
                               type, keepStoredOrientation, orientation, context);
    }
    return LoadDecodedPicture(path, image, orientation, fileWidth, fileHeight);
}

std::unique_ptr<ImageBuffer> LoadThumbnailImage(const std::string& path, int boxWidth,
                                                int boxHeight, const ImagingContext& context,
                                                int* fileWidth, int* fileHeight) {
    SetSize(fileWidth, fileHeight, 0, 0);
    const int type = PictureTypeFromContent(path);
    if (type != kPictureJpeg && type != kPictureBmp) {
        return nullptr;
    }
    auto image = std::make_unique<ImageBuffer>();
    if (!LoadImageFitted(path, image.get(), boxWidth, boxHeight, fileWidth, fileHeight, type, 1, 0,
                         context)) {
        SetSize(fileWidth, fileHeight, 0, 0);
        return nullptr;
    }
    return image;
}

std::unique_ptr<plat::Bitmap> LoadThumbnailBitmap(const std::string& path,
                                                  const ImagingContext& context, int* width,
                                                  int* height) {
    const int boxWidth = width ? *width : 0;
    const int boxHeight = height ? *height : 0;
    SetSize(width, height, 0, 0);
    if (boxWidth < 1 || boxHeight < 1) {
        return nullptr;
    }
    std::unique_ptr<ImageBuffer> picture;
    int pictureWidth = 0, pictureHeight = 0;
    if (PictureTypeFromContent(path) == kPictureGif) {
        std::unique_ptr<plat::Bitmap> whole = DecodeToBitmap(path, nullptr, nullptr);
        if (!whole) {
            return nullptr;
        }
        picture = std::make_unique<ImageBuffer>();
        if (!BitmapToPackedDib(*whole, boxWidth, boxHeight, picture.get())) {
            return nullptr;
        }
        pictureWidth = whole->Width();
        pictureHeight = whole->Height();
    } else {
        picture =
            LoadThumbnailImage(path, boxWidth, boxHeight, context, &pictureWidth, &pictureHeight);
        if (!picture) {
            return nullptr;
        }
    }
    std::unique_ptr<plat::Bitmap> bitmap =
        plat::Bitmap::Create(picture->Width(), picture->Height());
    if (!bitmap) {
        return nullptr;
    }
    std::memcpy(bitmap->Bits(), picture->Bits(),
                std::min<size_t>(bitmap->ByteSize(), picture->ImageSize()));
    SetSize(width, height, pictureWidth, pictureHeight);
    return bitmap;
}

}  // namespace imaging
