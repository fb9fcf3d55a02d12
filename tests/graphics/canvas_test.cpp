// Fills, lines, blits and icons: what lands where, and that nothing lands outside the clip.
#include "platform/graphics/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <string>
#include <vector>

namespace plat {
namespace {

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kWhite = Rgb(255, 255, 255);

int CountPixels(const Surface& s, Color c) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            n += s.Pixel(x, y) == c;
        }
    }
    return n;
}

// A colour that names its own position, so misplaced pixels are told apart.
Color Tag(int x, int y) {
    return Rgb(10 + x * 20, 10 + y * 20, 200);
}

// A pixel as a letter: "." black, R red, W white, a-y the colour Tag(x, y) gives (five a row:
// a is (0, 0), f is (0, 1)), ? anything else.
char Letter(Color p) {
    for (int i = 0; i < 25; ++i) {
        if (p == Tag(i % 5, i / 5)) {
            return static_cast<char>('a' + i);
        }
    }
    return p == 0 ? '.' : p == kRed ? 'R' : p == kWhite ? 'W' : '?';
}

// The surface as letters, rows separated by "|".
std::string Map(const Surface& s) {
    std::string out;
    for (int y = 0; y < s.Height(); ++y) {
        out += y ? "|" : "";
        for (int x = 0; x < s.Width(); ++x) {
            out += Letter(s.Pixel(x, y));
        }
    }
    return out;
}

TEST(CanvasFill, NegativeAndOversizedRectsStopAtTheSurfaceEdges) {
    Surface s(10, 4);
    Canvas c(&s);
    c.FillRect(Rect{-5, -5, 3, 2}, kRed);
    EXPECT_EQ(Map(s), "RRR.......|RRR.......|..........|..........");
    c.FillRect(Rect{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2}, kWhite);
    EXPECT_EQ(CountPixels(s, kWhite), 40);
}

TEST(CanvasFill, OriginAndClipMapWindowToSurface) {
    Surface s(8, 8);
    Canvas c(&s, Point{2, 3}, Rect{2, 3, 6, 7});
    EXPECT_EQ(c.ClipRect(), (Rect{0, 0, 4, 4}));
    c.FillRect(Rect{-100, -100, 100, 100}, kRed);
    c.IntersectClip(Rect{1, 1, 50, 2});
    EXPECT_EQ(c.ClipRect(), (Rect{1, 1, 4, 2}));
    c.SetPixel(0, 1, kWhite);  // left of the narrowed clip
    c.SetPixel(1, 1, kWhite);
    EXPECT_EQ(c.GetPixel(1, 1), kWhite);
    EXPECT_EQ(Map(s), "........|........|........|..RRRR..|..RWRR..|..RRRR..|..RRRR..|........");
}

// Lines, polylines and frames: the last point of a line is not drawn in any direction (a
// polyline's corner belongs to the next segment); a frame's outline is inside its rect.
TEST(CanvasLine, LinesPolylinesAndFrames) {
    Surface lines(8, 6), polyline(6, 5), frame(7, 5);
    Canvas c(&lines);
    c.Line(0, 0, 4, 0, kRed);
    c.Line(6, 5, 2, 5, kRed);    // right to left
    c.Line(0, 1, 3, 4, kWhite);  // diagonal
    EXPECT_EQ(Map(lines), "RRRR....|W.......|.W......|..W.....|........|...RRRR.");
    Canvas(&polyline).Polyline({{0, 0}, {4, 0}, {4, 4}}, kRed);
    Canvas(&polyline).Polyline({{5, 4}}, kWhite);
    EXPECT_EQ(Map(polyline), "RRRRR.|....R.|....R.|....R.|......");
    Canvas(&frame).FrameRect(Rect{1, 1, 5, 4}, kRed);
    EXPECT_EQ(Map(frame), ".......|.RRRR..|.R..R..|.RRRR..|.......");
}

// A packed bottom-up DIB written by hand: first row in memory is the bottom row, rows padded
// to four bytes with a filler that must never show.
struct HandDib {
    int width;
    int height;
    int stride;
    std::vector<uint8_t> bits;
    HandDib(int w, int h) : width(w), height(h), stride((w * 3 + 3) & ~3) {
        bits.assign(static_cast<size_t>(stride) * h, 0xEE);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint8_t* p = bits.data() + (h - 1 - y) * stride + x * 3;
                const Color c = Tag(x, y);
                p[0] = static_cast<uint8_t>(BlueOf(c));
                p[1] = static_cast<uint8_t>(GreenOf(c));
                p[2] = static_cast<uint8_t>(RedOf(c));
            }
        }
    }
    DibView View() const { return DibView{width, height, stride, bits.data()}; }
};

// Bottom-up rows with padding land top down; the DIB is clipped against itself and the
// surface; negative source offsets move the picture right and down.
TEST(CanvasDib, RowsLandTopDownClippedAgainstSourceAndDestination) {
    HandDib dib(5, 3);  // 15 bytes a row, padded to 16
    Surface s(7, 5), t(4, 4), u(4, 4);
    Canvas(&s).DrawDib(1, 1, 5, 3, dib.View(), 0, 0);
    EXPECT_EQ(Map(s), ".......|.abcde.|.fghij.|.klmno.|.......");
    Canvas(&t).DrawDib(-2, -1, 10, 10, dib.View(), 1, 0);
    EXPECT_EQ(Map(t), "ij..|no..|....|....");
    Canvas(&u).DrawDib(0, 0, 4, 4, dib.View(), -1, -2);
    EXPECT_EQ(Map(u), "....|....|.abc|.fgh");
}

TEST(CanvasDib, ExtremeArgumentsNeitherReadNorWriteOutside) {
    // The DIB lies between guard rows of its own colour, and the target is a 4 x 4 clip in the
    // middle of a larger surface: a read past the DIB brings the guard colour (or the rows'
    // padding) in, a write past the clip marks the border around it.
    const HandDib dib(5, 3);
    std::vector<uint8_t> guarded(dib.bits.size() + 2 * static_cast<size_t>(dib.stride), 0x5A);
    std::copy(dib.bits.begin(), dib.bits.end(), guarded.begin() + dib.stride);
    const DibView view{dib.width, dib.height, dib.stride, guarded.data() + dib.stride};
    constexpr Color kBorder = Rgb(1, 2, 3);
    Surface s(12, 12);
    Canvas(&s).FillRect(Rect{0, 0, 12, 12}, kBorder);
    Canvas c(&s, Point{4, 4}, Rect{4, 4, 8, 8});

    DibView bad = view;
    bad.stride = 2;  // shorter than a row: refused
    c.DrawDib(0, 0, 5, 3, bad, 0, 0);
    EXPECT_EQ(CountPixels(s, kBorder), 144);

    const int values[] = {INT_MIN, INT_MIN + 1, -7, -1, 0, 2, 4, INT_MAX - 1, INT_MAX};
    for (int x : values) {
        for (int w : values) {
            for (int sx : values) {
                c.DrawDib(x, x, w, w, view, sx, sx);
            }
        }
    }
    int drawn = 0;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const Color p = s.Pixel(x, y);
            const bool inClip = x >= 4 && x < 8 && y >= 4 && y < 8;
            if (!inClip) {
                EXPECT_EQ(p, kBorder) << x << "," << y;
            } else if (p != kBorder) {
                EXPECT_TRUE(std::islower(Letter(p))) << x << "," << y << ": " << std::hex << p;
                ++drawn;
            }
        }
    }
    EXPECT_GE(drawn, 12);  // the calls with small values reach most of the clip
    Canvas none(nullptr);
    none.DrawDib(0, 0, 5, 3, view, 0, 0);
    none.FillRect(Rect{0, 0, 5, 5}, kRed);
}

TEST(CanvasCopy, OverlappingCopyWithinOneSurfaceKeepsTheSource) {
    Surface s(3, 5), other(2, 2);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 3; ++x) {
            s.SetPixel(x, y, Tag(x, y));
        }
    }
    Canvas(&s).CopyFrom(0, 1, 3, 4, s, 0, 0);  // move everything one row down
    EXPECT_EQ(Map(s), "abc|abc|fgh|klm|pqr");
    Canvas(&other).CopyFrom(-1, -1, 3, 3, s, 1, 1);  // source column 3 does not exist
    EXPECT_EQ(Map(other), "h.|m.");
}

TEST(CanvasIcon, AlphaZeroIsTransparentAndPartialAlphaBlends) {
    Surface s(4, 2);
    Canvas c(&s);
    c.FillRect(Rect{0, 0, 4, 2}, kWhite);
    // Alpha 128 of 255 over white: blue over white, and a value of 1, whose 127.5 rounds up.
    Icon icon{4, 1, {0x00FF0000u, 0xFFFF0000u, 0x800000FFu, 0x80010101u}};
    c.DrawIcon(0, 0, icon);
    EXPECT_EQ(s.Pixel(0, 0), kWhite);
    EXPECT_EQ(s.Pixel(1, 0), kRed);
    const Color half = Rgb(127, 127, 255);
    EXPECT_EQ(s.Pixel(2, 0), half);
    EXPECT_EQ(s.Pixel(3, 0), Rgb(128, 128, 128));
    c.DrawIcon(-3, 1, icon);  // only the last column is on the surface
    EXPECT_EQ(s.Pixel(0, 1), Rgb(128, 128, 128));
    EXPECT_EQ(s.Pixel(1, 1), kWhite);

    Icon shortPixels{4, 4, {0xFF000000u}};  // claims more pixels than it has
    c.DrawIcon(0, 0, shortPixels);
    EXPECT_EQ(s.Pixel(0, 0), kWhite);
}

}  // namespace
}  // namespace plat
