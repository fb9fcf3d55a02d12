// Writes the program's icon (resource 5001) as a PNG with transparency, for the desktop's
// icon theme: make_icon OUT.png
#include <png.h>

#include <cstdio>
#include <vector>

#include "resources/artwork.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUT.png\n");
        return 2;
    }
    const plat::Icon icon = res::LoadIconResource(5001);
    if (icon.width <= 0 || icon.height <= 0) {
        std::fprintf(stderr, "make_icon: the program has no icon\n");
        return 1;
    }
    // Icon pixels are 0xAARRGGBB; PNG wants R, G, B, A bytes.
    std::vector<png_byte> rgba;
    rgba.reserve(icon.pixels.size() * 4);
    for (uint32_t p : icon.pixels) {
        rgba.push_back(static_cast<png_byte>(p >> 16));
        rgba.push_back(static_cast<png_byte>(p >> 8));
        rgba.push_back(static_cast<png_byte>(p));
        rgba.push_back(static_cast<png_byte>(p >> 24));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(icon.width);
    image.height = static_cast<png_uint_32>(icon.height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, argv[1], 0, rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "make_icon: cannot write %s: %s\n", argv[1], image.message);
        return 1;
    }
    return 0;
}
