// The program's pictures and sounds: icons, bitmaps and the notification sound, drawn and
// synthesised by code so that they are built into the executable.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"

namespace res {

// Icons 5001 (program), 5002 (folder, 32 x 32), 5003 (voice-note mark), 5004-5006 (32 x 32
// BMP, GIF and JPEG file types), 5007 (infrared). An unknown id gives an empty icon.
plat::Icon LoadIconResource(int id);
// Bitmaps 4511-4513 (system information sections, 32 x 32: storage card, program memory,
// storage memory), 6001 (tree icons, 128 x 15:
// eight 16 x 15 images, white is transparent), 6002 (picture that cannot be decoded).
// Null for an unknown id.
std::unique_ptr<plat::Bitmap> LoadBitmapResource(int id);
// The WAVE resource 4016 as the bytes of a RIFF WAVE file; empty for an unknown id.
std::string LoadWaveResource(int id);

}  // namespace res
