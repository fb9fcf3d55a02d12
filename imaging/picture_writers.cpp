#include "imaging/picture_writers.h"

#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/os/device_fs.h"

namespace imaging {

namespace {

constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 7;
constexpr int kBlueLevels = 6;

int Level(uint8_t value, int levels) {
    return (value * (levels - 1) + 127) / 255;
}

void PutU16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(std::string* out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

bool Writable(const ImageBuffer& image) {
    return !image.Empty() && image.BitsPerPixel() == 24;
}

// The 14-byte file header and a 40-byte info header for an uncompressed bottom-up file.
std::string BmpHeaders(const ImageBuffer& image, int depth, uint32_t paletteEntries) {
    const uint32_t stride = RowStride(image.Width(), depth);
    const uint32_t pixels = stride * static_cast<uint32_t>(image.Height());
    const uint32_t offset = 14 + 40 + 4 * paletteEntries;
    std::string out = "BM";
    PutU32(&out, offset + pixels);
    PutU32(&out, 0);
    PutU32(&out, offset);
    BitmapInfoHeader header;
    MakeBitmapHeader(&header, image.Width(), image.Height(), depth, image.DpiX(), image.DpiY());
    header.biClrUsed = paletteEntries;
    out.append(reinterpret_cast<const char*>(&header), sizeof header);
    return out;
}

int GifOutput(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    return count;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

}  // namespace

int FixedPaletteIndex(uint8_t red, uint8_t green, uint8_t blue) {
    return (Level(red, kRedLevels) * kGreenLevels + Level(green, kGreenLevels)) * kBlueLevels +
           Level(blue, kBlueLevels);
}

uint32_t FixedPaletteColour(int index) {
    if (index < 0 || index >= kRedLevels * kGreenLevels * kBlueLevels) {
        return 0;
    }
    const uint32_t blue = (index % kBlueLevels) * 255 / (kBlueLevels - 1);
    const uint32_t green = (index / kBlueLevels % kGreenLevels) * 255 / (kGreenLevels - 1);
    const uint32_t red = (index / (kBlueLevels * kGreenLevels)) * 255 / (kRedLevels - 1);
    return red | (green << 8) | (blue << 16);
}

int WriteJpegFile(const std::string& path, const ImageBuffer& image,
                  const JpegWriteOptions& options) {
    if (!Writable(image)) {
        return 0;
    }
    return WriteJpegRows(path, image.Bits(), image.Stride(), image.Width(), image.Height(),
                         options);
}

int WriteBmp24(const std::string& path, const ImageBuffer& image) {
    if (!Writable(image)) {
        return 0;
    }
    std::string out = BmpHeaders(image, 24, 0);
    out.append(reinterpret_cast<const char*>(image.Bits()), image.ImageSize());
    return plat::DeviceFs::WriteAtomic(path, out) ? 1 : 0;
}

int WriteBmp8(const std::string& path, const ImageBuffer& image) {
    if (!Writable(image)) {
        return 0;
    }
    std::string out = BmpHeaders(image, 8, 256);
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = FixedPaletteColour(i);
        const char entry[4] = {static_cast<char>((c >> 16) & 0xFF),
                               static_cast<char>((c >> 8) & 0xFF), static_cast<char>(c & 0xFF), 0};
        out.append(entry, 4);
    }
    const uint32_t stride = RowStride(image.Width(), 8);
    std::string row(stride, '\0');
    // Stored rows go bottom-up, as the picture's own memory does.
    for (int y = image.Height() - 1; y >= 0; --y) {
        const uint8_t* p = image.RowPtr(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            row[static_cast<size_t>(x)] = static_cast<char>(FixedPaletteIndex(p[2], p[1], p[0]));
        }
        out += row;
    }
    return plat::DeviceFs::WriteAtomic(path, out) ? 1 : 0;
}

int WriteGif(const std::string& path, const ImageBuffer& image) {
    if (!Writable(image) || image.Width() > 65535 || image.Height() > 65535) {
        return 0;
    }
    GifColorType colours[256] = {};
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = FixedPaletteColour(i);
        colours[i].Red = c & 0xFF;
        colours[i].Green = (c >> 8) & 0xFF;
        colours[i].Blue = (c >> 16) & 0xFF;
    }
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(256, colours));
    if (!map) {
        return 0;
    }
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifOutput, &error);
    if (!gif) {
        return 0;
    }
    bool ok = EGifPutScreenDesc(gif, image.Width(), image.Height(), 8, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.Width(), image.Height(), false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<size_t>(image.Width()));
    for (int y = 0; ok && y < image.Height(); ++y) {
        const uint8_t* p = image.RowPtr(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            line[static_cast<size_t>(x)] =
                static_cast<GifPixelType>(FixedPaletteIndex(p[2], p[1], p[0]));
        }
        ok = EGifPutLine(gif, line.data(), image.Width()) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) {
        ok = false;
    }
    return ok && plat::DeviceFs::WriteAtomic(path, out) ? 1 : 0;
}

}  // namespace imaging
