// Screenshots: a surface written as an 8-bit RGB PNG with libpng.
#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/graphics/canvas.h"

namespace plat {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// libpng reports errors by longjmp, so this function holds nothing with a destructor: the
// caller owns the file and the row pointers.
bool WriteRows(FILE* file, int width, int height, png_bytepp rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The surface keeps blue first; libpng swaps to RGB while writing.
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const Surface& surface, const std::string& hostPath) {
    if (surface.Width() <= 0 || surface.Height() <= 0) {
        return false;
    }
    std::unique_ptr<FILE, FileCloser> file(std::fopen(hostPath.c_str(), "wb"));
    if (!file) {
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(surface.Height()));
    for (int y = 0; y < surface.Height(); ++y) {
        // libpng only reads the rows; its interface is not const-correct.
        rows[y] = const_cast<png_bytep>(surface.Row(y));
    }
    const bool written = WriteRows(file.get(), surface.Width(), surface.Height(), rows.data());
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        std::remove(hostPath.c_str());  // no half-written screenshot left behind
        return false;
    }
    return true;
}

}  // namespace plat
