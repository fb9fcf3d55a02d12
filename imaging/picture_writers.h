// Writing pictures in the three formats the browser reads, for making sample pictures.
//
// 8-bit BMP and GIF files use a fixed palette of 6 x 7 x 6 levels (red, green, blue; 252
// colours, the rest black); each pixel takes the nearest level per channel.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/image_buffer.h"
#include "imaging/jpeg_codec.h"

namespace imaging {

// The fixed palette: index of the nearest colour, and the colour of an index (0x00BBGGRR).
int FixedPaletteIndex(uint8_t red, uint8_t green, uint8_t blue);
uint32_t FixedPaletteColour(int index);

// Each writer takes a 24-bit picture and a device path; 1 written, 0 failed.
int WriteJpegFile(const std::string& path, const ImageBuffer& image,
                  const JpegWriteOptions& options = JpegWriteOptions{});
int WriteBmp24(const std::string& path, const ImageBuffer& image);
int WriteBmp8(const std::string& path, const ImageBuffer& image);
int WriteGif(const std::string& path, const ImageBuffer& image);

}  // namespace imaging
