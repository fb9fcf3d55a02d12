// How much compressed picture data a JPEG file really holds.
//
// A JPEG header may claim any size up to 65535 x 65535 pixels; the decoder pads missing data
// with empty blocks and decodes on as if the file were whole. Judging a claim against the
// file size is not enough either: comments, thumbnails and other marker segments take room
// but hold no picture. This counts only the entropy-coded bytes of the scans.
#pragma once

#include <cstdint>
#include <cstdio>

namespace imaging {

// Counts the entropy-coded bytes of the scans of the JPEG file read from `file`'s current
// position (its start), stopping once `enough` bytes were counted. Marker segments, restart
// markers and stuffed zero bytes do not count. A broken structure ends the count.
uint64_t CountJpegScanBytes(std::FILE* file, uint64_t enough);

}  // namespace imaging
