// The type of a picture file, decided from its first two bytes (the name is not consulted).
#pragma once

#include <string>

namespace imaging {

enum PictureType { kPictureUnknown = -1, kPictureBmp = 1, kPictureGif = 2, kPictureJpeg = 3 };

// "BM" -> 1 (BMP), "GI" -> 2 (GIF), 0xFF 0xD8 -> 3 (JPEG); anything else, a file shorter than
// two bytes or one that cannot be opened -> -1.
int PictureTypeFromContent(const std::string& devicePath);

}  // namespace imaging
