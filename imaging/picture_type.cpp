#include "imaging/picture_type.h"

#include <cstdint>

#include "platform/os/device_fs.h"

namespace imaging {

int PictureTypeFromContent(const std::string& devicePath) {
    plat::FilePtr file = plat::DeviceFs::Open(devicePath, "rb");
    uint8_t magic[2];
    if (!file || std::fread(magic, 1, 2, file.get()) != 2) {
        return kPictureUnknown;
    }
    if (magic[0] == 'B' && magic[1] == 'M') {
        return kPictureBmp;
    }
    if (magic[0] == 'G' && magic[1] == 'I') {
        return kPictureGif;
    }
    if (magic[0] == 0xFF && magic[1] == 0xD8) {
        return kPictureJpeg;
    }
    return kPictureUnknown;
}

}  // namespace imaging
