// Shared body of the decoder fuzz targets: the input becomes a file on a temporary device
// root and goes through the view, slide-show and thumbnail loaders at small boxes.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/jpeg_codec.h"
#include "imaging/loaders.h"
#include "platform/os/device_fs.h"

namespace fuzzing {

inline void RunLoaders(const uint8_t* data, size_t size, char magic0, char magic1) {
    static bool ready = [] {
        static char folder[] = "/tmp/velloran-fuzz-XXXXXX";
        if (!mkdtemp(folder)) {
            abort();
        }
        plat::DeviceFs::SetRoot(folder);
        // Hostile headers may claim huge progressive pictures; keep each decode modest.
        imaging::SetJpegMemoryLimit(64L << 20);
        return true;
    }();
    (void)ready;
    // The first two bytes pick the decoder; force them so every input reaches this target's.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.size() < 2) {
        bytes.resize(2, '\0');
    }
    bytes[0] = magic0;
    bytes[1] = magic1;
    const std::string path = "\\input";
    if (!plat::DeviceFs::WriteAtomic(path, bytes)) {
        abort();
    }
    imaging::ImagingContext context;
    context.screenWidth = 24;
    context.screenHeight = 30;
    for (int orientation = 0; orientation <= 2; ++orientation) {
        context.orientation = orientation;
        imaging::ImageBuffer view;
        imaging::LoadImageFile(path, &view, 0, 0, context);
        imaging::ImageBuffer fitted;
        imaging::LoadImageFile(path, &fitted, 1, orientation == 2, context);
    }
    context.thumbMaxView = 1;
    int width = 12, height = 9;
    imaging::LoadThumbnailBitmap(path, context, &width, &height);
}

}  // namespace fuzzing
