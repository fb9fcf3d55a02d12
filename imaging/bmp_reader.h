// Reader of uncompressed Windows and OS/2 bitmap files, one row at a time.
//
// Open reads and checks the headers; ReadPalette reads the colour table; ReadRow delivers the
// next stored row (bottom row first) as 24-bit pixels, whatever the file's depth. Files the
// reader cannot convert are refused at Open: depths other than 1, 4, 8 and 24, compressed
// files, info headers other than the 12-, 40- and 64-byte forms, heights of 0 or below and
// widths outside 1..32767.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/device_fs.h"

namespace imaging {

class BmpReader {
  public:
    // 1 when the file is a bitmap this reader converts; the size and depth are reported.
    int Open(const std::string& path, int* width, int* height, int* depth);
    // Reads the colour table of a 1-, 4- or 8-bit file. The table's length is taken from the
    // info header's colour count and the file's pixel-data offset; entries that are missing
    // stay black. `entries` is the most that will be read (2^depth by the loaders).
    int ReadPalette(int entries);
    // Writes the next row: width x 3 bytes (blue, green, red); for 24-bit files the stored row
    // is read straight into `dst`, which must hold RowStride(width, 24) bytes. Bytes missing
    // at the end of a short file come out black; the result is then 0.
    int ReadRow(uint8_t* dst);
    void Close();

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }
    uint32_t RawRowLength() const { return rawRowLength_; }

  private:
    int SeekToPixels();

    plat::FilePtr file_;
    int width_ = 0;
    int height_ = 0;
    int depth_ = 0;
    uint32_t rawRowLength_ = 0;
    uint32_t paletteOffset_ = 0;
    uint32_t paletteEntrySize_ = 4;
    uint32_t colourCount_ = 0;
    uint32_t pixelOffset_ = 0;
    bool atPixels_ = false;
    std::vector<uint8_t> rawRow_;
    uint8_t palette_[256][3] = {};
};

}  // namespace imaging
