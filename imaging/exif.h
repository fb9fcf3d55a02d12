// The EXIF orientation tag of a JPEG file: how the camera was held, as the value 1-8 of tag
// 0x0112 in the first image directory (1 upright; 2-8 mirrored and/or turned).
//
// Only that one tag is read. The reader trusts nothing in the file: every offset and count is
// checked against the bytes actually read, only the first directory is looked at (no offset
// chain is followed, so a looping file cannot trap it), and anything unexpected means 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging {

// The orientation of a JPEG held in memory (its first bytes are enough); 1 when there is none.
int ExifOrientationOfJpeg(const uint8_t* data, size_t size);
// The orientation of the JPEG file at a device path; 1 when there is none or on any failure.
int ExifOrientationOfFile(const std::string& path);

}  // namespace imaging
