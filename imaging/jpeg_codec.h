// The JPEG library calls of the system, over libjpeg-turbo.
//
// One decode is open at a time on each thread, its state private to that thread:
// GetJPGFileHeader -> up to output-height x GetJPGFileData -> CloseFile.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/image_buffer.h"

namespace imaging {

// Opens a decode of the JPEG file at a device path. On entry *outWidth x *outHeight is the
// wanted box; on return it is the exact size GetJPGFileData will deliver: the smallest scale
// M/8 (M = 1..8) whose output still covers the picture fitted into the box, so that later
// steps only ever reduce. When even 1/8 is larger than twice the box, the rows are averaged
// down further while they are read, to the file's size fitted into twice the box, so no
// delivered picture exceeds twice the box. A box that is not positive asks for the full size.
// *components receives the file's colour component count. Result 1, or 0 when the file cannot
// be opened or read, or holds too little scan data for the size it claims (CloseFile is still
// expected).
int GetJPGFileHeader(const std::string& path, int* fileWidth, int* fileHeight, int* outWidth,
                     int* outHeight, int* components);

// Writes the next row, top row first: output-width pixels of bytes blue, green, red. Grayscale
// and CMYK/YCCK files arrive as BGR too. The row on which the compressed data ends keeps what
// was decoded and gives 0; after it, after a decoding error and past the last row the row is
// black and the result 0.
int GetJPGFileData(uint8_t* row);

// Ends the open decode (safe to call when none is open).
void CloseFile();

// Writes 24-bit bottom-up rows described by `header` as a JPEG file at `quality`. The scratch
// row is not needed by this encoder and may be null. Result 1, or 0 on any failure (the
// caller removes the file).
int SaveJpgFile(const std::string& path, int quality, const uint8_t* rows, uint32_t bytesPerRow,
                const BitmapInfoHeader& header, uint8_t* scratch);

// Further options for writing sample pictures.
struct JpegWriteOptions {
    int quality = 90;
    bool progressive = false;
    bool grayscale = false;
};
int WriteJpegRows(const std::string& path, const uint8_t* rows, uint32_t bytesPerRow, int width,
                  int height, const JpegWriteOptions& options);

// The most memory libjpeg may take for one decode (progressive files keep all coefficients:
// about 71 MiB for 24 megapixels, unless decoded at 1/8, below). Files needing more fail to
// open.
void SetJpegMemoryLimit(long bytes);

// Whether progressive files decoded at 1/8 scale keep only the coefficients that scale reads
// (DC, and 25 low terms of half-sampled chroma) and skip the AC scans of DC-only components.
// On by default; off keeps every coefficient, for comparisons.
void SetJpegReducedTerms(bool on);

}  // namespace imaging
