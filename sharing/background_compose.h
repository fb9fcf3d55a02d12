// Putting a picture on the Home Screen canvas: centred, stretched to fit, or tiled.
#pragma once

#include <cstdint>
#include <memory>

#include "imaging/image_buffer.h"

// A 24-bit canvas of width x height at 72 dpi, every pixel `colour` (0x00BBGGRR). Null when
// the size is refused or memory runs out.
std::unique_ptr<imaging::ImageBuffer> MakeBackgroundCanvas(int width, int height, uint32_t colour);

// Centre: a smaller picture sits in the middle (an odd remainder leaves the extra pixel on the
// right and at the bottom); a larger one shows its middle part, unscaled. 1 / 0.
int ComposeCenter(const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas);
// Fit to Screen: the whole picture stretched over the whole canvas. 1 / 0.
int ComposeFit(const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas);
// Tile: the picture repeated from the top-left corner, cut at the right and bottom. 1 / 0.
int ComposeTile(const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas);
