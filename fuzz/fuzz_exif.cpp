// libFuzzer target: bytes as the head of a JPEG file, through the EXIF orientation reader.
#include <cstddef>
#include <cstdint>

#include "imaging/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int orientation = imaging::ExifOrientationOfJpeg(data, size);
    if (orientation < 1 || orientation > 8) {
        __builtin_trap();
    }
    return 0;
}
