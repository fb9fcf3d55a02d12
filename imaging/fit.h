// Picture size arithmetic shared by the loaders and the JPEG adapter (integers, rdiv rounding).
#pragma once

namespace imaging {

// Fits a source size into a box keeping the aspect and never enlarging. A side that would
// round to 0 becomes 1.
void FitSize(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, int* width,
             int* height);

// Grows the box so that a picture of the file's size fitted into it covers the box
// ("Maximum Thumbnail View"); a file within the box leaves it unchanged.
void CoverBox(int fileWidth, int fileHeight, int* boxWidth, int* boxHeight);

}  // namespace imaging
