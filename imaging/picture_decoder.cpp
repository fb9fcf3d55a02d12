#include "imaging/picture_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/scaling.h"
#include "platform/os/device_fs.h"

namespace imaging {

namespace {

// A frame may be larger than the screen it is drawn on; its decode is bounded all the same.
constexpr int64_t kMaxFramePixels = 4 * kMaxDecodedPixels;

int ReadDecoderData(GifFileType* gif, GifByteType* buffer, int count) {
    std::FILE* file = static_cast<std::FILE*>(gif->UserData);
    if (!file || count <= 0) {
        return 0;
    }
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(count), file));
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// What the graphic control block before an image says about it.
struct ImageControl {
    int transparent = NO_TRANSPARENT_COLOR;
    int delay = 0;  // hundredths of a second the image stays before the next one is drawn
};

enum class NextRecord { kImage, kEnd, kError };

// Reads extension records up to the next image descriptor, taking the image's control from
// the last graphic control block seen.
NextRecord FindNextImage(GifFileType* gif, ImageControl* control) {
    *control = ImageControl{};
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            return NextRecord::kError;
        }
        if (type == IMAGE_DESC_RECORD_TYPE) {
            return DGifGetImageDesc(gif) != GIF_ERROR ? NextRecord::kImage : NextRecord::kError;
        }
        if (type != EXTENSION_RECORD_TYPE) {
            return NextRecord::kEnd;
        }
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
            return NextRecord::kError;
        }
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
            GraphicsControlBlock gcb;
            if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
                control->transparent = gcb.TransparentColor;
                control->delay = gcb.DelayTime;
            }
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
                return NextRecord::kError;
            }
        }
    }
}

struct Frame {
    int left, top, width, height;
    bool interlaced;
};

// Draws the frame's rows onto the canvas. Returns the number of rows decoded.
int DrawFrame(GifFileType* gif, const Frame& frame, const ColorMapObject* map, int transparent,
              plat::Bitmap* canvas) {
    std::vector<GifPixelType> line(static_cast<size_t>(frame.width));
    static const int kPassStart[4] = {0, 4, 2, 1};
    static const int kPassStep[4] = {8, 8, 4, 2};
    const int passes = frame.interlaced ? 4 : 1;
    const int colours = map ? map->ColorCount : 0;
    int decoded = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.interlaced ? kPassStart[pass] : 0;
        const int step = frame.interlaced ? kPassStep[pass] : 1;
        for (int fy = start; fy < frame.height; fy += step) {
            const int y = frame.top + fy;
            // Rows below the screen are read all the same: the next image follows them.
            if (DGifGetLine(gif, line.data(), frame.width) == GIF_ERROR) {
                return decoded;
            }
            ++decoded;
            if (y >= canvas->Height()) {
                continue;
            }
            uint8_t* row = canvas->Row(y);
            const int visible = std::min(frame.width, canvas->Width() - frame.left);
            for (int x = 0; x < visible; ++x) {
                const int index = line[static_cast<size_t>(x)];
                if (index == transparent) {
                    continue;
                }
                uint8_t* out = row + 3 * static_cast<size_t>(frame.left + x);
                if (index < colours) {
                    const GifColorType& c = map->Colors[index];
                    out[0] = c.Blue;
                    out[1] = c.Green;
                    out[2] = c.Red;
                } else {
                    out[0] = out[1] = out[2] = 0;  // an index outside the palette shows black
                }
            }
        }
    }
    return decoded;
}

Frame FrameOf(const GifImageDesc& desc) {
    return Frame{desc.Left, desc.Top, desc.Width, desc.Height, desc.Interlace != 0};
}

bool FrameIsSane(const Frame& frame) {
    return frame.width > 0 && frame.height > 0 && frame.left >= 0 && frame.top >= 0 &&
           static_cast<int64_t>(frame.width) * frame.height <= kMaxFramePixels;
}

// The images that follow the first one without a delay belong to the first picture (large
// pictures are stored as tiles, each with a palette of its own): they are drawn over it, up to
// and including the first image that is shown for a while. A damaged image ends the picture.
void DrawFollowingImages(GifFileType* gif, const ColorMapObject* global, plat::Bitmap* canvas) {
    ImageControl control;
    while (FindNextImage(gif, &control) == NextRecord::kImage) {
        const Frame frame = FrameOf(gif->Image);
        if (!FrameIsSane(frame)) {
            return;
        }
        const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : global;
        if (DrawFrame(gif, frame, map, control.transparent, canvas) < frame.height ||
            control.delay > 0) {
            return;
        }
    }
}

std::unique_ptr<plat::Bitmap> DecodeGif(std::FILE* file, int maxWidth, int maxHeight) {
    int error = 0;
    GifPtr gif(DGifOpen(file, ReadDecoderData, &error));
    if (!gif) {
        return nullptr;
    }
    ImageControl control;
    if (FindNextImage(gif.get(), &control) != NextRecord::kImage) {
        return nullptr;
    }
    const GifImageDesc& desc = gif->Image;
    const Frame frame = FrameOf(desc);
    if (!FrameIsSane(frame)) {
        return nullptr;
    }
    int screenWidth = gif->SWidth;
    int screenHeight = gif->SHeight;
    if (screenWidth <= 0 || screenHeight <= 0) {
        // No usable logical screen: the frame defines the picture.
        screenWidth = frame.left + frame.width;
        screenHeight = frame.top + frame.height;
    }
    // Refuse what cannot be shown before allocating anything for it.
    const int limitWidth = std::min({maxWidth, kMaxDecodedSide, kMaxDimension});
    const int limitHeight = std::min({maxHeight, kMaxDecodedSide, kMaxDimension});
    if (screenWidth > limitWidth || screenHeight > limitHeight ||
        static_cast<int64_t>(screenWidth) * screenHeight > kMaxDecodedPixels) {
        return nullptr;
    }
    std::unique_ptr<plat::Bitmap> canvas = plat::Bitmap::Create(screenWidth, screenHeight);
    if (!canvas) {
        return nullptr;
    }
    const ColorMapObject* global = gif->SColorMap;
    if (global && gif->SBackGroundColor >= 0 && gif->SBackGroundColor < global->ColorCount) {
        const GifColorType& c = global->Colors[gif->SBackGroundColor];
        const uint32_t colour = c.Red | (c.Green << 8) | (static_cast<uint32_t>(c.Blue) << 16);
        for (int y = 0; y < screenHeight; ++y) {
            FillPixels(canvas->Row(y), colour, screenWidth);
        }
    }
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : global;
    if (frame.left >= screenWidth || frame.top >= screenHeight) {
        return canvas;  // the frame lies off the screen: only the background shows
    }
    const int decoded = DrawFrame(gif.get(), frame, map, control.transparent, canvas.get());
    if (decoded == 0) {
        return nullptr;
    }
    if (decoded == frame.height && control.delay == 0) {
        DrawFollowingImages(gif.get(), global, canvas.get());
    }
    return canvas;
}

}  // namespace

int PictureDecoder::DecodeFile(const std::string& path, int depth, int maxWidth, int maxHeight) {
    bitDepth = depth;
    bitmap.reset();
    width = height = 0;
    plat::FilePtr file = plat::DeviceFs::Open(path, "rb");
    if (!file) {
        return 0;
    }
    bitmap = DecodeGif(file.get(), maxWidth, maxHeight);
    if (bitmap) {
        width = bitmap->Width();
        height = bitmap->Height();
    }
    return 1;
}

std::unique_ptr<plat::Bitmap> DecodeToBitmap(const std::string& path, int* maxWidth,
                                             int* maxHeight) {
    PictureDecoder decoder;
    const int limitWidth = maxWidth && *maxWidth > 0 ? *maxWidth : kMaxDecodedSide;
    const int limitHeight = maxHeight && *maxHeight > 0 ? *maxHeight : kMaxDecodedSide;
    decoder.DecodeFile(path, 24, limitWidth, limitHeight);
    if (maxWidth) {
        *maxWidth = decoder.width;
    }
    if (maxHeight) {
        *maxHeight = decoder.height;
    }
    return decoder.TakeBitmap();
}

int BitmapToPackedDib(const plat::Bitmap& bitmap, int boxWidth, int boxHeight,
                      ImageBuffer* packed) {
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (w <= 0 || h <= 0) {
        return 0;
    }
    int percent = 100;
    if (boxWidth >= 1 && boxHeight >= 1 && (w > boxWidth || h > boxHeight)) {
        percent = std::min(boxWidth * 100 / w, boxHeight * 100 / h);
    }
    int nw = w;
    int nh = h;
    if (percent < 100) {
        nw = std::max<int>(1, static_cast<int>(RoundDiv(int64_t{percent} * w, 100)));
        nh = std::max<int>(1, static_cast<int>(RoundDiv(int64_t{percent} * h, 100)));
    }
    BitmapInfoHeader header;
    MakeBitmapHeader(&header, nw, nh, 24, 72, 72);
    if (!packed->Create(header)) {
        return 0;
    }
    const size_t sourceStride = static_cast<size_t>(bitmap.Stride());
    const uint32_t stride = packed->Stride();
    if (percent >= 100) {
        std::memcpy(packed->Bits(), bitmap.Bits(),
                    std::min<size_t>(packed->ImageSize(), bitmap.ByteSize()));
        return 1;
    }
    // Rows in stored order (bottom row first), each scaled to the new width; rows are
    // averaged down to the new height.
    std::vector<uint8_t> line(stride, 0);
    std::vector<uint32_t> sums(stride, 0);
    uint32_t count = 0;
    int written = 0;
    int e = h / 2;
    for (int k = 0; k < h && written < nh; ++k) {
        uint8_t* out = packed->Bits() + static_cast<size_t>(written) * stride;
        const uint8_t* row = bitmap.Bits() + static_cast<size_t>(k) * sourceStride;
        if (h <= nh) {
            ScaleRowPlain(row, out, w, nw);
            ++written;
            continue;
        }
        ScaleRowPlain(row, line.data(), w, nw);
        e += nh;
        if (e < h) {
            for (uint32_t i = 0; i < stride; ++i) {
                sums[i] += line[i];
            }
            ++count;
            continue;
        }
        e -= h;
        for (uint32_t i = 0; i < stride; ++i) {
            out[i] = static_cast<uint8_t>((sums[i] + line[i]) / (count + 1));
            sums[i] = 0;
        }
        count = 0;
        ++written;
    }
    return 1;
}

int LoadDecodedPicture(const std::string& path, ImageBuffer* image, int orientation, int* fileWidth,
                       int* fileHeight) {
    if (fileWidth) {
        *fileWidth = 0;
    }
    if (fileHeight) {
        *fileHeight = 0;
    }
    PictureDecoder decoder;
    if (!decoder.DecodeFile(path) || !decoder.bitmap) {
        return 0;
    }
    const plat::Bitmap& bitmap = *decoder.bitmap;
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (fileWidth) {
        *fileWidth = w;
    }
    if (fileHeight) {
        *fileHeight = h;
    }
    const bool turned = orientation != 0;
    BitmapInfoHeader header;
    MakeBitmapHeader(&header, turned ? h : w, turned ? w : h, 24, 72, 72);
    if (!image->Create(header)) {
        return 0;
    }
    const size_t stride = static_cast<size_t>(bitmap.Stride());
    for (int k = 0; k < h; ++k) {
        const uint8_t* row = bitmap.Bits() + static_cast<size_t>(k) * stride;
        if (orientation == 0) {
            image->SetRow(h - 1 - k, row);
        } else if (orientation == 1) {
            image->SetColumn(k, 0, image->Height() - 1, row, false, false, 0, 0, 0);
        } else {
            image->SetColumn(image->Width() - 1 - k, 0, image->Height() - 1, row, true, false, 0, 0,
                             0);
        }
    }
    return 1;
}

}  // namespace imaging
