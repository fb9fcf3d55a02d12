// The only place where libjpeg's errors are caught.
//
// libjpeg reports a fatal error by calling error_exit, which must not return. Each call below
// sets a jump point, calls one library function and returns 1, or returns 0 when the library
// jumped back with an error. The functions hold no C++ object with a destructor, so jumping
// over their frames skips nothing that needs cleaning up. Callers keep the structures alive
// and destroy them with jpeg_destroy_* after a failure.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imaging {

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    // A file whose progressive scans never end is cut off after this many scans.
    int maxScans;
    jpeg_progress_mgr progress;
    // Set by the warning that the compressed data has ended before the picture: the file is
    // cut short, or its scan stops at the end-of-image marker. The decoder would go on padding
    // the rest of the picture with empty blocks.
    int dataEnded;
};

// Installs the error manager (quiet: warnings only note the end of the data) and the scan
// limit.
jpeg_error_mgr* JpegInitErrors(JpegErrorManager* manager);

int JpegGuardCreateDecompress(jpeg_decompress_struct* cinfo);
int JpegGuardReadHeader(jpeg_decompress_struct* cinfo);
int JpegGuardCalcOutputDimensions(jpeg_decompress_struct* cinfo);
int JpegGuardStartDecompress(jpeg_decompress_struct* cinfo);
int JpegGuardReadScanline(jpeg_decompress_struct* cinfo, JSAMPROW row);

struct JpegCompressJob {
    const unsigned char* rows;  // the bottom row of the picture first
    long bytesPerRow;
    int width;
    int height;
    int quality;
    int progressive;
    int grayscale;
};

// Compresses 24-bit BGR rows (bottom-up) to the stdio destination set up inside.
int JpegGuardCompress(jpeg_compress_struct* cinfo, std::FILE* out, const JpegCompressJob* job);

}  // namespace imaging
