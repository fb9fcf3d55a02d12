// JPEG files written row by row with libjpeg (no picture in memory, so camera sizes stay
// cheap), and read back through the codec adapter.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "imaging/image_buffer.h"
#include "imaging/jpeg_codec.h"

namespace imaging::testing {

struct JpegFile {
    JpegFile(int w, int h, int k = 3, int q = 50)
        : width(w), height(h), components(k), quality(q) {}
    int width;
    int height;
    int components;  // 1 grey, 3 RGB, 4 CMYK (libjpeg marks it as Adobe's: 255 = no ink)
    int quality;
    bool arithmetic = false;
    bool progressive = false;
    int lumaSampling = 2;  // 2: chroma at half the height and width; 1: full
    int restartInterval = 0;
    // Sample `c` of pixel (x, y); a grey ramp rising from left to right when not given.
    std::function<uint8_t(int x, int y, int c)> sample;
};

inline void WriteJpeg(const std::string& hostPath, const JpegFile& j) {
    std::FILE* f = std::fopen(hostPath.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(j.width);
    cinfo.image_height = static_cast<JDIMENSION>(j.height);
    cinfo.input_components = j.components;
    cinfo.in_color_space = j.components == 4   ? JCS_CMYK
                           : j.components == 1 ? JCS_GRAYSCALE
                                               : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, j.quality, TRUE);
    cinfo.arith_code = j.arithmetic ? TRUE : FALSE;
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = j.lumaSampling;
    cinfo.restart_interval = static_cast<unsigned>(j.restartInterval);
    if (j.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(j.width) * j.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < j.width; ++x) {
            for (int c = 0; c < j.components; ++c) {
                row[x * j.components + c] = j.sample ? j.sample(x, y, c) : x * 255 / j.width;
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// Opens a JPEG for a box (0 x 0: full size) and reads every row into a picture of the size the
// header gives: the rows delivered in full, or -1 when the header refuses the file.
inline int DecodeJpeg(const std::string& path, int boxWidth, int boxHeight, ImageBuffer* out,
                      int* components = nullptr) {
    int width = boxWidth, height = boxHeight, good = 0;
    if (!GetJPGFileHeader(path, nullptr, nullptr, &width, &height, components)) {
        CloseFile();
        return -1;
    }
    BitmapInfoHeader header;
    MakeBitmapHeader(&header, width, height, 24, 72, 72);
    out->Create(header);
    for (int y = 0; y < height; ++y) {
        good += GetJPGFileData(out->RowPtr(y));
    }
    CloseFile();
    return good;
}

}  // namespace imaging::testing
