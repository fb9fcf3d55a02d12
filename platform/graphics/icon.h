// Small pictures with a transparent background (menu marks, folder icons, arrows).
#pragma once

#include <cstdint>
#include <vector>

namespace plat {

// Pixels are 32-bit 0xAARRGGBB, rows top-down; alpha 0 is transparent, 255 opaque, values
// in between are blended.
struct Icon {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

}  // namespace plat
