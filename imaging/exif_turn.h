// Showing a camera picture upright: its EXIF orientation (1-8) combined with the user's own
// quarter turn (0 none, 1 right, 2 left), which applies after it.
//
// The loaders turn pictures a quarter while decoding, so a full-size copy never exists; the
// combined transform is split into such a decode turn (0 or 1) and a mirror/half turn that
// is then done in place on the smaller decoded picture.
#pragma once

#include "imaging/image_buffer.h"

namespace imaging {

struct ExifTurn {
    int exif = 1;                // the EXIF orientation planned for, 1-8
    int decodeOrientation = 0;   // the loaders' orientation for the decode: 0 or 1
    bool mirrorX = false;        // then each row is reversed
    bool mirrorY = false;        // and/or the rows are put in reverse order
    bool swapsFileSize = false;  // the camera's picture is the file's turned a quarter
};

// The plan for a picture with EXIF orientation `exif` (anything outside 2-8 counts as 1)
// turned by the user's `orientation` afterwards.
ExifTurn PlanExifTurn(int exif, int orientation);
// Applies the plan's mirrors to a decoded 24-bit picture.
void ApplyExifMirrors(const ExifTurn& turn, ImageBuffer* image);

}  // namespace imaging
