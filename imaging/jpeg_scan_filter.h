// A libjpeg data source over a stdio file that can leave out the AC scans of chosen
// components of a progressive JPEG: a component that a 1/8-scale decode turns into one pixel
// a block needs only its DC scans (first and refinement), and its AC scans are most of the
// compressed data.
//
// The source never hands libjpeg a start-of-scan marker in the middle of a buffer: every
// scan header begins a fresh buffer, so the choice of scans (made after the frame header has
// been read) is applied to every scan that follows the first one.
#pragma once

#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace imaging {

struct JpegScanFilter {
    jpeg_source_mgr pub;  // first, so libjpeg's source pointer is the filter
    std::FILE* file;
    // Non-zero for the component ids whose AC scans are left out.
    unsigned char dropAcOf[256];
    int state;
    int segmentLeft;  // bytes of a marker segment still to pass through
    int headerLength;
    int headerRead;
    bool dropping;     // inside the entropy-coded data of a left-out scan
    bool scanPending;  // a start-of-scan marker was read but not handed out yet
    size_t rawPos;
    size_t rawLen;
    unsigned char raw[16384];
    // Room for a whole scan header (up to 65535 bytes) plus its marker.
    unsigned char out[65536 + 4];
};

// Makes `filter` the source of `cinfo`, reading `file` from its current position. The filter
// passes everything through until components are marked in dropAcOf.
void JpegUseScanFilter(jpeg_decompress_struct* cinfo, JpegScanFilter* filter, std::FILE* file);

}  // namespace imaging
