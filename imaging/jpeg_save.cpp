#include "imaging/jpeg_save.h"

#include <algorithm>
#include <cctype>

#include "imaging/jpeg_codec.h"
#include "platform/os/device_fs.h"

namespace imaging {

namespace {

bool HasJpegExtension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return false;
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "jpg" || extension == "jpeg";
}

}  // namespace

int SaveImageAsJpeg(const std::string& path, const BitmapInfoHeader* header, const uint8_t* rows) {
    if (!header || !HasJpegExtension(path) || header->biBitCount != 24 || header->biWidth <= 0 ||
        header->biHeight <= 0) {
        return 0;
    }
    if (!rows) {
        rows = reinterpret_cast<const uint8_t*>(header) + kHeaderBytes;
    }
    const std::string temporary = path + ".xxx";
    const uint32_t bytesPerRow = RowStride(header->biWidth, 24);
    if (!SaveJpgFile(temporary, 90, rows, bytesPerRow, *header, nullptr)) {
        plat::DeviceFs::Remove(temporary);
        return 0;
    }
    // The rename replaces an existing target in one step: there is no moment without a file.
    if (!plat::DeviceFs::Rename(temporary, path)) {
        plat::DeviceFs::Remove(temporary);
        return 0;
    }
    return 1;
}

int SaveImageAsJpeg(const std::string& path, const ImageBuffer& image) {
    if (image.Empty()) {
        return 0;
    }
    const BitmapInfoHeader header = image.Header();
    return SaveImageAsJpeg(path, &header, image.Bits());
}

}  // namespace imaging
