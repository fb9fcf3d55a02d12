// Saving a 24-bit picture as a JPEG file without ever leaving a half-written file under the
// target name.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/image_buffer.h"

namespace imaging {

// Writes the rows described by `header` (24 bits, bottom-up) to `path` + ".xxx" at quality 90
// and, once complete, renames that file over `path` in one atomic step, so the old file stays
// whole until the new one replaces it. `rows` null: the rows follow the 40-byte header, as in a
// packed bitmap block. Only names ending in .jpg or .jpeg (any case) are written. Result 1, or
// 0 with the temporary file removed and any existing target untouched.
int SaveImageAsJpeg(const std::string& path, const BitmapInfoHeader* header,
                    const uint8_t* rows = nullptr);
int SaveImageAsJpeg(const std::string& path, const ImageBuffer& image);

}  // namespace imaging
