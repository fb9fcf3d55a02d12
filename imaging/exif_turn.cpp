#include "imaging/exif_turn.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace imaging {
namespace {

// A pixel-grid transform as a 2 x 2 matrix on (x right, y down): (x, y) -> (a x + b y,
// c x + d y). Every entry is -1, 0 or 1.
struct Matrix {
    int a, b, c, d;
};

Matrix Multiply(const Matrix& m, const Matrix& n) {
    return Matrix{m.a * n.a + m.b * n.c, m.a * n.b + m.b * n.d, m.c * n.a + m.d * n.c,
                  m.c * n.b + m.d * n.d};
}

constexpr Matrix kIdentity{1, 0, 0, 1};
constexpr Matrix kTurnRight{0, -1, 1, 0};  // a quarter clockwise
constexpr Matrix kTurnLeft{0, 1, -1, 0};   // a quarter counter-clockwise

// What EXIF orientation 1-8 asks for, to show the stored picture as the camera saw it.
Matrix OfExif(int exif) {
    switch (exif) {
        case 2:
            return Matrix{-1, 0, 0, 1};  // mirrored left to right
        case 3:
            return Matrix{-1, 0, 0, -1};  // a half turn
        case 4:
            return Matrix{1, 0, 0, -1};  // mirrored top to bottom
        case 5:
            return Matrix{0, 1, 1, 0};  // mirrored along the main diagonal
        case 6:
            return kTurnRight;
        case 7:
            return Matrix{0, -1, -1, 0};  // mirrored along the other diagonal
        case 8:
            return kTurnLeft;
        default:
            return kIdentity;
    }
}

Matrix OfUserTurn(int orientation) {
    return orientation == 1 ? kTurnRight : orientation == 2 ? kTurnLeft : kIdentity;
}

}  // namespace

ExifTurn PlanExifTurn(int exif, int orientation) {
    const Matrix exifMatrix = OfExif(exif);
    const Matrix total = Multiply(OfUserTurn(orientation), exifMatrix);
    ExifTurn turn;
    turn.exif = exif >= 2 && exif <= 8 ? exif : 1;
    turn.swapsFileSize = exifMatrix.a == 0;
    Matrix rest = total;
    if (total.a == 0) {
        // A quarter turn is in it: decode turned right, then what remains has no quarter turn.
        turn.decodeOrientation = 1;
        rest = Multiply(total, kTurnLeft);
    }
    turn.mirrorX = rest.a < 0;
    turn.mirrorY = rest.d < 0;
    return turn;
}

void ApplyExifMirrors(const ExifTurn& turn, ImageBuffer* image) {
    if (!image || image->Empty() || image->BitsPerPixel() != 24) {
        return;
    }
    const int w = image->Width();
    const int h = image->Height();
    if (turn.mirrorX) {
        for (int y = 0; y < h; ++y) {
            uint8_t* row = image->RowPtr(y);
            for (int l = 0, r = w - 1; l < r; ++l, --r) {
                std::swap_ranges(row + 3 * l, row + 3 * l + 3, row + 3 * r);
            }
        }
    }
    if (turn.mirrorY) {
        const size_t bytes = static_cast<size_t>(w) * 3;
        for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(image->RowPtr(top), image->RowPtr(top) + bytes, image->RowPtr(bottom));
        }
    }
}

}  // namespace imaging
