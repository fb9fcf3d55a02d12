// The program's artwork, drawn at start-up by a small painter: anti-aliased shapes for the
// 32 x 32 pictures and hand-set pixel grids for the tiny ones, plus a synthesised chime.
#include "resources/artwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <utility>
#include <vector>

namespace res {
namespace {

// ---------------------------------------------------------------------------------------
// Colours are 0xAARRGGBB throughout the painter.

constexpr uint32_t kClear = 0x00000000;

int Channel(uint32_t c, int shift) {
    return static_cast<int>((c >> shift) & 0xFF);
}

uint32_t Argb(int a, int r, int g, int b) {
    auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return (clamp(a) << 24) | (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

// Linear mix of two colours (alpha included); t = 0 gives `a`.
uint32_t Mix(uint32_t a, uint32_t b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto lerp = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return Argb(lerp(Channel(a, 24), Channel(b, 24)), lerp(Channel(a, 16), Channel(b, 16)),
                lerp(Channel(a, 8), Channel(b, 8)), lerp(Channel(a, 0), Channel(b, 0)));
}

// A fill: flat, or a vertical gradient from c0 at y0 to c1 at y1.
struct Paint {
    uint32_t c0;
    uint32_t c1;
    double y0 = 0;
    double y1 = 1;

    Paint(uint32_t c) : c0(c), c1(c) {}  // NOLINT: a colour is a flat paint
    Paint(uint32_t top, uint32_t bottom, double top_y, double bottom_y)
        : c0(top), c1(bottom), y0(top_y), y1(bottom_y) {}

    uint32_t At(double y) const {
        if (c0 == c1 || y1 <= y0) {
            return c0;
        }
        return Mix(c0, c1, (y - y0) / (y1 - y0));
    }
};

struct Swatch {
    char key;
    uint32_t color;
};

using Inside = std::function<bool(double, double)>;

class Art {
  public:
    Art(int width, int height)
        : width_(width), height_(height), px_(static_cast<size_t>(width) * height, kClear) {}

    int Width() const { return width_; }
    int Height() const { return height_; }

    uint32_t Get(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return kClear;
        }
        return px_[static_cast<size_t>(y) * width_ + x];
    }
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            px_[static_cast<size_t>(y) * width_ + x] = c;
        }
    }

    // Source-over blend of `c` scaled by `cover` (0..1) onto pixel (x, y).
    void Blend(int x, int y, uint32_t c, double cover = 1.0) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || cover <= 0) {
            return;
        }
        const double sa = Channel(c, 24) / 255.0 * std::min(cover, 1.0);
        uint32_t& d = px_[static_cast<size_t>(y) * width_ + x];
        const double da = Channel(d, 24) / 255.0;
        const double oa = sa + da * (1 - sa);
        if (oa <= 0) {
            d = kClear;
            return;
        }
        auto ch = [&](int shift) {
            const double v = (Channel(c, shift) * sa + Channel(d, shift) * da * (1 - sa)) / oa;
            return static_cast<int>(std::lround(v));
        };
        d = Argb(static_cast<int>(std::lround(oa * 255)), ch(16), ch(8), ch(0));
    }

    // Makes [x0, x1) x [y0, y1) transparent again.
    void Clear(int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                Set(x, y, kClear);
            }
        }
    }

    // Crisp rectangle [x0, x1) x [y0, y1).
    void Rect(int x0, int y0, int x1, int y1, const Paint& p) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                Blend(x, y, p.At(y + 0.5));
            }
        }
    }

    // Any shape, 4 x 4 samples a pixel; coordinates are continuous, pixel (x, y) covering
    // [x, x + 1) x [y, y + 1).
    void Fill(const Inside& inside, const Paint& p) {
        constexpr int kSub = 4;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < kSub; ++sy) {
                    for (int sx = 0; sx < kSub; ++sx) {
                        if (inside(x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub)) {
                            ++hits;
                        }
                    }
                }
                if (hits > 0) {
                    Blend(x, y, p.At(y + 0.5), hits / double(kSub * kSub));
                }
            }
        }
    }

    void Ellipse(double cx, double cy, double rx, double ry, const Paint& p) {
        Fill(
            [=](double x, double y) {
                const double dx = (x - cx) / rx;
                const double dy = (y - cy) / ry;
                return dx * dx + dy * dy <= 1.0;
            },
            p);
    }

    void RoundRect(double x0, double y0, double x1, double y1, double r, const Paint& p) {
        Fill(
            [=](double x, double y) {
                if (x < x0 || x > x1 || y < y0 || y > y1) {
                    return false;
                }
                const double cx = std::clamp(x, x0 + r, x1 - r);
                const double cy = std::clamp(y, y0 + r, y1 - r);
                return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
            },
            p);
    }

    void Polygon(std::vector<std::pair<double, double>> pts, const Paint& p) {
        Fill(
            [pts = std::move(pts)](double x, double y) {
                bool in = false;
                for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                    const auto [xi, yi] = pts[i];
                    const auto [xj, yj] = pts[j];
                    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) {
                        in = !in;
                    }
                }
                return in;
            },
            p);
    }

    // A thick straight stroke with round ends.
    void Stroke(double x0, double y0, double x1, double y1, double width, const Paint& p) {
        const double half = width / 2;
        Fill(
            [=](double x, double y) {
                const double dx = x1 - x0;
                const double dy = y1 - y0;
                const double len2 = dx * dx + dy * dy;
                double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
                t = std::clamp(t, 0.0, 1.0);
                const double ex = x - (x0 + t * dx);
                const double ey = y - (y0 + t * dy);
                return ex * ex + ey * ey <= half * half;
            },
            p);
    }

    // A ring segment around (cx, cy): radii r0..r1, angles a0..a1 in degrees (0 = right,
    // counter-clockwise on screen).
    void Arc(double cx, double cy, double r0, double r1, double a0, double a1, const Paint& p) {
        Fill(
            [=](double x, double y) {
                const double dx = x - cx;
                const double dy = cy - y;
                const double r = std::hypot(dx, dy);
                if (r < r0 || r > r1) {
                    return false;
                }
                const double a = std::atan2(dy, dx) * 180 / std::numbers::pi;
                return a >= a0 && a <= a1;
            },
            p);
    }

    // Pixel grid: one string per row, one character per pixel; characters without a swatch
    // are left alone.
    void Grid(int x, int y, std::initializer_list<const char*> rows,
              std::initializer_list<Swatch> palette) {
        int row = 0;
        for (const char* line : rows) {
            for (int col = 0; line[col] != '\0'; ++col) {
                for (const Swatch& s : palette) {
                    if (s.key == line[col]) {
                        Blend(x + col, y + row, s.color);
                        break;
                    }
                }
            }
            ++row;
        }
    }

    // Surrounds everything with more than a trace of alpha by a 1-pixel border of `c`.
    void Outline(uint32_t c) {
        Art out(width_, height_);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (Channel(Get(x, y), 24) >= 128) {
                    continue;
                }
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (Channel(Get(x + dx, y + dy), 24) >= 128) {
                            near = true;
                            break;
                        }
                    }
                }
                if (near) {
                    out.Set(x, y, c);
                }
            }
        }
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                out.Blend(x, y, Get(x, y));
            }
        }
        px_ = std::move(out.px_);
    }

    // Draws another picture on top of this one at (x, y).
    void Draw(int x, int y, const Art& src) {
        for (int sy = 0; sy < src.height_; ++sy) {
            for (int sx = 0; sx < src.width_; ++sx) {
                Blend(x + sx, y + sy, src.Get(sx, sy));
            }
        }
    }

    plat::Icon ToIcon() const { return plat::Icon{width_, height_, px_}; }

    // Flattened onto an opaque background (0xRRGGBB).
    std::unique_ptr<plat::Bitmap> ToBitmap(uint32_t background) const {
        auto bmp = plat::Bitmap::Create(width_, height_);
        if (!bmp) {
            return nullptr;
        }
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = bmp->Row(y);
            for (int x = 0; x < width_; ++x) {
                const uint32_t c = Get(x, y);
                const double a = Channel(c, 24) / 255.0;
                auto ch = [&](int shift) {
                    const double v = Channel(c, shift) * a + Channel(background, shift) * (1 - a);
                    return static_cast<uint8_t>(std::lround(v));
                };
                row[x * 3 + 0] = ch(0);
                row[x * 3 + 1] = ch(8);
                row[x * 3 + 2] = ch(16);
            }
        }
        return bmp;
    }

  private:
    int width_;
    int height_;
    std::vector<uint32_t> px_;
};

// ---------------------------------------------------------------------------------------
// Shared motifs.

// A small landscape (sky, sun, mountain, hills) filling [x0, x1) x [y0, y1).
void Landscape(Art& art, int x0, int y0, int x1, int y1) {
    const double w = x1 - x0;
    const double h = y1 - y0;
    Art pic(art.Width(), art.Height());
    pic.Rect(x0, y0, x1, y1, Paint(0xFF3C8CE0, 0xFFB4DCF8, y0, y0 + h * 0.75));
    pic.Ellipse(x0 + w * 0.72, y0 + h * 0.28, h * 0.16 + 0.6, h * 0.16 + 0.6, 0xFFFFD23C);
    pic.Polygon({{x0 - 1.0, y0 + h * 0.85},
                 {x0 + w * 0.30, y0 + h * 0.32},
                 {x0 + w * 0.48, y0 + h * 0.62},
                 {x0 + w * 0.60, y0 + h * 0.50},
                 {x1 + 1.0, y0 + h * 0.95},
                 {x1 + 1.0, y1 + 1.0},
                 {x0 - 1.0, y1 + 1.0}},
                Paint(0xFF7A8AA0, 0xFF56667C, y0 + h * 0.3, y1));
    pic.Polygon({{x0 + w * 0.22, y0 + h * 0.45},
                 {x0 + w * 0.30, y0 + h * 0.32},
                 {x0 + w * 0.38, y0 + h * 0.45},
                 {x0 + w * 0.30, y0 + h * 0.42}},
                0xFFF2F6FA);
    pic.Ellipse(x0 + w * 0.25, y1 + h * 0.15, w * 0.55, h * 0.42,
                Paint(0xFF6CC04A, 0xFF3A8A2A, y1 - h * 0.3, y1));
    pic.Ellipse(x0 + w * 0.85, y1 + h * 0.25, w * 0.5, h * 0.42,
                Paint(0xFF4EA83A, 0xFF2C7020, y1 - h * 0.2, y1));
    // Keep the picture inside its frame.
    for (int y = 0; y < art.Height(); ++y) {
        for (int x = 0; x < art.Width(); ++x) {
            if (x >= x0 && x < x1 && y >= y0 && y < y1) {
                art.Blend(x, y, pic.Get(x, y));
            }
        }
    }
}

// 5 x 7 capitals (narrower where the letter is), for the file-type labels.
struct Glyph {
    char c;
    const char* rows[7];
};

constexpr Glyph kGlyphs[] = {
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'J', {"....#", "....#", "....#", "....#", "#...#", "#...#", ".###."}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kGlyphs) {
        if (g.c == c) {
            return &g;
        }
    }
    return nullptr;
}

int TextWidth(const char* text) {
    int w = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        const Glyph* g = FindGlyph(*p);
        if (g != nullptr) {
            w += static_cast<int>(std::char_traits<char>::length(g->rows[0])) + 1;
        }
    }
    return w > 0 ? w - 1 : 0;
}

void Text(Art& art, int x, int y, const char* text, uint32_t color) {
    for (const char* p = text; *p != '\0'; ++p) {
        const Glyph* g = FindGlyph(*p);
        if (g == nullptr) {
            continue;
        }
        int w = 0;
        for (int row = 0; row < 7; ++row) {
            const char* line = g->rows[row];
            for (w = 0; line[w] != '\0'; ++w) {
                if (line[w] == '#') {
                    art.Blend(x + w, y + row, color);
                }
            }
        }
        x += w + 1;
    }
}

// ---------------------------------------------------------------------------------------
// Icons.

// 5001: two photo cards, the front one showing a landscape.
plat::Icon ProgramIcon() {
    Art art(32, 32);
    // The card behind, tilted.
    art.Polygon({{6.5, 4.0}, {28.5, 1.0}, {31.5, 20.5}, {9.5, 23.5}}, 0x38000000);
    art.Polygon({{5.5, 3.0}, {27.5, 0.3}, {30.5, 19.5}, {8.5, 22.5}}, 0xFF5A6470);
    art.Polygon({{6.6, 3.9}, {26.7, 1.4}, {29.4, 18.8}, {9.3, 21.4}},
                Paint(0xFFF6F3EA, 0xFFDCD6C8, 1, 21));
    art.Polygon({{8.4, 5.4}, {25.4, 3.2}, {27.6, 17.2}, {10.6, 19.4}},
                Paint(0xFFE8A05A, 0xFFB8604A, 3, 19));
    // The front card with a drop shadow.
    art.RoundRect(3, 11, 30, 32, 1.2, 0x40000000);
    art.RoundRect(1, 9, 28, 30, 1.2, 0xFF3E4650);
    art.RoundRect(2, 10, 27, 29, 0.6, Paint(0xFFFFFFFF, 0xFFE4E8EE, 10, 29));
    Landscape(art, 4, 12, 25, 27);
    art.Rect(4, 12, 25, 13, 0x30000000);
    return art.ToIcon();
}

// 5002: a manila folder, its front leaf lit from above.
Art FolderArt() {
    Art art(32, 32);
    constexpr uint32_t kEdge = 0xFF9A6A10;
    // Back with its tab.
    art.RoundRect(1.5, 5, 13.5, 11, 1.5, kEdge);
    art.RoundRect(2.5, 6, 12.5, 11, 1, Paint(0xFFF0C050, 0xFFE0A830, 6, 11));
    art.RoundRect(1.5, 8, 30.5, 28.5, 1.5, kEdge);
    art.RoundRect(2.5, 9, 29.5, 27.5, 1, Paint(0xFFE4B040, 0xFFC89024, 9, 27));
    // A sheet of paper peeking out.
    art.Rect(5, 10, 27, 14, 0xFFB0A890);
    art.Rect(6, 11, 27, 14, 0xFFFAF8F0);
    // Front leaf.
    art.Polygon({{1.5, 13.5}, {30.5, 13.5}, {30.5, 28.5}, {1.5, 28.5}}, kEdge);
    art.Polygon({{2.5, 14.5}, {29.5, 14.5}, {29.5, 27.5}, {2.5, 27.5}},
                Paint(0xFFFFE27A, 0xFFF0B838, 14, 28));
    art.Rect(3, 15, 29, 16, 0x80FFFFFF);
    art.Rect(3, 26, 29, 27, 0x30804000);
    // Shadow on the ground.
    art.Rect(3, 29, 31, 30, 0x30000000);
    return art;
}

// 5003: a loudspeaker with two sound waves, light on a dark rim so that it reads over any
// photo.
plat::Icon VoiceMark() {
    Art art(12, 12);
    art.Grid(0, 0,
             {
                 "............",
                 "........W...",
                 ".....W...W..",
                 "....WW.W..W.",
                 "..WWWW..W.W.",
                 "..WWWW..W.W.",
                 "..WWWW..W.W.",
                 "..WWWW..W.W.",
                 "....WW.W..W.",
                 ".....W...W..",
                 "........W...",
                 "............",
             },
             {{'W', 0xFFF8F8F0}});
    art.Outline(0xFF202020);
    return art.ToIcon();
}

// 5004-5006: a page with a folded corner, a small picture and a coloured label.
plat::Icon FileTypeIcon(const char* label, uint32_t color) {
    Art art(32, 32);
    constexpr uint32_t kEdge = 0xFF707880;
    // Page.
    art.Rect(6, 2, 23, 31, kEdge);
    art.Polygon({{22, 2}, {28, 8}, {28, 31}, {22, 31}}, kEdge);
    art.Rect(7, 3, 22, 30, Paint(0xFFFFFFFF, 0xFFE6EAF0, 3, 30));
    art.Polygon({{21.5, 3}, {27, 8.5}, {27, 30}, {21.5, 30}}, Paint(0xFFFFFFFF, 0xFFE6EAF0, 3, 30));
    // Folded corner.
    art.Polygon({{22, 2}, {22, 8}, {28, 8}}, 0xFFC8D0DA);
    art.Polygon({{22, 2}, {22.9, 2}, {22.9, 7.1}, {28, 7.1}, {28, 8}, {22, 8}}, kEdge);
    // Picture.
    art.Rect(9, 6, 21, 17, 0xFF98A0AA);
    Landscape(art, 10, 7, 20, 16);
    // Label sticking out on the left.
    const int tw = TextWidth(label);
    art.Rect(1, 19, 25, 29, 0x30000000);
    art.Rect(0, 18, 24, 28, Mix(color, 0xFF000000, 0.35));
    art.Rect(1, 19, 23, 27, Paint(Mix(color, 0xFFFFFFFF, 0.15), color, 19, 27));
    Text(art, (24 - tw) / 2, 19, label, 0xFFFFFFFF);
    return art.ToIcon();
}

// 5007: a handset beaming infrared waves.
plat::Icon InfraredIcon() {
    Art art(16, 16);
    art.Grid(0, 0,
             {
                 "..........r.....",
                 "..kkkk.....r....",
                 ".kmmmmk.r...r...",
                 ".kmkkmk..r..r...",
                 ".kmssmk..r...r..",
                 ".kmssmk..r..r...",
                 ".kmkkmk.r...r...",
                 ".kmmmmk....r....",
                 ".kmememk...r....",
                 ".kmmmmk.........",
                 ".kmememk........",
                 ".kmmmmk.........",
                 ".kmememk........",
                 ".kmmmmk.........",
                 "..kkkk..........",
                 "................",
             },
             {{'k', 0xFF303840},
              {'m', 0xFF8C98A4},
              {'s', 0xFF50C8E8},
              {'e', 0xFFE0E4E8},
              {'r', 0xFFE02828}});
    return art.ToIcon();
}

// ---------------------------------------------------------------------------------------
// Bitmaps.

constexpr uint32_t kWhite = 0xFFFFFF;

// 4512 (program memory): a memory module.
std::unique_ptr<plat::Bitmap> MemoryBitmap() {
    Art art(32, 32);
    art.Polygon({{1, 10}, {31, 10}, {31, 25}, {1, 25}}, 0xFF1E5A2E);
    art.Rect(2, 11, 30, 24, Paint(0xFF3AA050, 0xFF2A8040, 11, 24));
    // Notch and contacts.
    art.Clear(15, 22, 17, 26);
    for (int x = 3; x < 30; x += 2) {
        if (x == 15) {
            continue;
        }
        art.Rect(x, 22, x + 1, 25, Paint(0xFFFFE080, 0xFFC89020, 22, 25));
    }
    // Chips.
    for (int x : {3, 12, 21}) {
        art.Rect(x, 12, x + 8, 20, 0xFF202428);
        art.Rect(x + 1, 13, x + 7, 14, 0xFF3C4450);
        art.Rect(x + 1, 12, x + 2, 13, 0xFF5A6470);
    }
    art.Rect(2, 26, 31, 27, 0x28000000);
    return art.ToBitmap(kWhite);
}

// 4513 (storage memory): a hard disk seen from above, lid off.
std::unique_ptr<plat::Bitmap> DiskBitmap() {
    Art art(32, 32);
    art.RoundRect(3, 2, 31, 31, 2, 0x30000000);
    art.RoundRect(2, 1, 30, 30, 2, 0xFF505860);
    art.RoundRect(3, 2, 29, 29, 1.5, Paint(0xFFC8CED6, 0xFF9AA2AC, 2, 29));
    art.Ellipse(15, 13.5, 10.5, 10.5, 0xFF606870);
    art.Ellipse(15, 13.5, 9.8, 9.8, Paint(0xFFF0F4F8, 0xFF98A4B4, 4, 23));
    art.Arc(15, 13.5, 4, 8.5, 100, 150, 0x60FFFFFF);
    art.Ellipse(15, 13.5, 2.4, 2.4, 0xFF606870);
    art.Ellipse(15, 13.5, 1.4, 1.4, 0xFFD0D6DC);
    // Head arm.
    art.Stroke(26, 25, 18, 16, 2.2, 0xFF404850);
    art.Ellipse(26, 25, 2.2, 2.2, 0xFF303840);
    art.Ellipse(26, 25, 0.9, 0.9, 0xFFA0A8B0);
    // Screws.
    for (auto [x, y] : {std::pair{5, 4}, {27, 4}, {5, 27}}) {
        art.Rect(x - 1, y - 1, x + 1, y + 1, 0xFF707880);
    }
    return art.ToBitmap(kWhite);
}

// 4511 (storage card): a storage card with its contacts and a label.
std::unique_ptr<plat::Bitmap> CardBitmap() {
    Art art(32, 32);
    art.Polygon({{8, 3}, {27, 3}, {27, 31}, {6, 31}, {6, 8}}, 0x30000000);
    art.Polygon({{9.5, 1.5}, {26.5, 1.5}, {26.5, 30}, {5, 30}, {5, 6}}, 0xFF1A2A50);
    art.Polygon({{10, 2.5}, {25.5, 2.5}, {25.5, 29}, {6, 29}, {6, 6.5}},
                Paint(0xFF3A5AA8, 0xFF24407C, 2, 29));
    for (int x = 9; x < 25; x += 3) {
        art.Rect(x, 3, x + 2, 8, Paint(0xFFFFE488, 0xFFC8961E, 3, 8));
    }
    art.Rect(8, 12, 24, 26, 0xFF1A2A50);
    art.Rect(9, 13, 23, 25, Paint(0xFFF4F6FA, 0xFFD2DAE6, 13, 25));
    art.Rect(9, 13, 23, 17, 0xFFE04038);
    art.Rect(11, 19, 21, 20, 0xFF8090A8);
    art.Rect(11, 22, 18, 23, 0xFF8090A8);
    return art.ToBitmap(kWhite);
}

// 6002: a photograph torn in two, with a red cross.
std::unique_ptr<plat::Bitmap> BrokenPictureBitmap() {
    Art photo(32, 32);
    photo.Rect(2, 3, 28, 27, 0xFF5A6470);
    photo.Rect(3, 4, 27, 26, 0xFFF4F2EC);
    Landscape(photo, 5, 6, 25, 24);
    // The tear runs jaggedly from the top to the bottom.
    int tear[32];
    for (int y = 0; y < 32; ++y) {
        const int zig[] = {0, 1, 2, 1, 0, -1, -2, -1};
        tear[y] = 17 - y / 6 + zig[y % 8];
    }
    Art art(32, 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const uint32_t c = photo.Get(x, y);
            if (x < tear[y]) {
                art.Blend(x - 2, y - 1, c);
            } else {
                art.Blend(x + 1, y + 1, c);
            }
        }
    }
    // The paper shows pale along the torn edges.
    for (int y = 4; y < 26; ++y) {
        art.Blend(tear[y] - 3, y - 1, 0xD0F4F2EC);
        art.Blend(tear[y] + 1, y + 1, 0xD0F4F2EC);
    }
    // Red badge.
    art.Ellipse(25, 25, 6.3, 6.3, 0xFF801010);
    art.Ellipse(25, 25, 5.4, 5.4, Paint(0xFFF05048, 0xFFC01818, 19, 31));
    art.Stroke(22.8, 22.8, 27.2, 27.2, 1.7, 0xFFFFFFFF);
    art.Stroke(27.2, 22.8, 22.8, 27.2, 1.7, 0xFFFFFFFF);
    return art.ToBitmap(kWhite);
}

// 6001: the tree's eight 16 x 15 images. White marks transparency, so the artwork never uses
// pure white.
std::unique_ptr<plat::Bitmap> TreeStrip() {
    const std::initializer_list<Swatch> folder = {
        {'k', 0xFF8C6410}, {'h', 0xFFFFF0A0}, {'y', 0xFFF8D050},
        {'d', 0xFFE0A828}, {'s', 0xFFC08818}, {'p', 0xFFF4F2EC},
    };
    Art art(128, 15);
    // 0: open folder.
    art.Grid(0, 0,
             {
                 "................",
                 "................",
                 ".kkkk...........",
                 "kdddsk..........",
                 "kddddskkkkkkk...",
                 "kdddppppppppdk..",
                 "kddkkkkkkkkkkkkk",
                 "kdkhhhhhhhhhhhk.",
                 "kdkyyyyyyyyyyyk.",
                 "kkyyyyyyyyyyyk..",
                 "kkyyyyyyyyyyyk..",
                 "kyyyyyyyyyyydk..",
                 "kddddddddddddk..",
                 ".kkkkkkkkkkkk...",
                 "................",
             },
             folder);
    // 1: closed folder.
    art.Grid(16, 0,
             {
                 "................",
                 "................",
                 ".kkkk...........",
                 "khhhhk..........",
                 "khyyyykkkkkkkkk.",
                 "khhhhhhhhhhhhhyk",
                 "khyyyyyyyyyyyydk",
                 "khyyyyyyyyyyyydk",
                 "khyyyyyyyyyyyydk",
                 "khyyyyyyyyyyyydk",
                 "khyyyyyyyyyyyydk",
                 "kdddddddddddddsk",
                 ".kkkkkkkkkkkkkk.",
                 "................",
                 "................",
             },
             folder);
    // 2: the phone, root of the tree.
    art.Grid(32, 0,
             {
                 ".....kkkkkkk....",
                 "....kmmmmmmmk...",
                 "....kmkkkkkmk...",
                 "....kmkssskmk...",
                 "....kmkstskmk...",
                 "....kmkssskmk...",
                 "....kmkkkkkmk...",
                 "....kmmmmmmmk...",
                 "....kmemememk...",
                 "....kmmmmmmmk...",
                 "....kmemememk...",
                 "....kmmmmmmmk...",
                 "....kmemememk...",
                 "....kmmmmmmmk...",
                 ".....kkkkkkk....",
             },
             {{'k', 0xFF283038},
              {'m', 0xFF8894A0},
              {'s', 0xFF48B8E0},
              {'t', 0xFF98E0F8},
              {'e', 0xFFE4E8EC}});
    // 3: storage card.
    art.Grid(48, 0,
             {
                 "................",
                 "....kkkkkkkk....",
                 "...kbgbgbgbbk...",
                 "..kbbgbgbgbbk...",
                 "..kbbbbbbbbbk...",
                 "..kbbbbbbbbbk...",
                 "..kbllllllbbk...",
                 "..kblrrrrlbbk...",
                 "..kbllllllbbk...",
                 "..kblggggllbk...",
                 "..kbllllllbbk...",
                 "..kbbbbbbbbbk...",
                 "..kkkkkkkkkkk...",
                 "................",
                 "................",
             },
             {{'k', 0xFF1A2A50},
              {'b', 0xFF3A5AA8},
              {'g', 0xFFE8C040},
              {'l', 0xFFF0F2F6},
              {'r', 0xFFE04038}});
    // 4: document.
    art.Grid(64, 0,
             {
                 "..kkkkkkkk......",
                 "..kppppppkk.....",
                 "..kppppppkfk....",
                 "..kppppppkkkk...",
                 "..kpllllllppk...",
                 "..kppppppppppk..",
                 "..kpllllllllpk..",
                 "..kppppppppppk..",
                 "..kpllllllllpk..",
                 "..kppppppppppk..",
                 "..kpllllllppk...",
                 "..kppppppppppk..",
                 "..kppppppppppk..",
                 "..kkkkkkkkkkkk..",
                 "................",
             },
             {{'k', 0xFF606870}, {'p', 0xFFF8F8F4}, {'f', 0xFFC8D0D8}, {'l', 0xFF7890B0}});
    // 5-7: pictures framed in the colour of their type.
    const uint32_t frames[] = {0xFF2A64C8, 0xFF2E9A3C, 0xFFE07020};
    for (int i = 0; i < 3; ++i) {
        const int x0 = 80 + 16 * i;
        art.Rect(x0 + 1, 1, x0 + 15, 14, Mix(frames[i], 0xFF000000, 0.35));
        art.Rect(x0 + 2, 2, x0 + 14, 13, frames[i]);
        art.Rect(x0 + 3, 3, x0 + 13, 12, 0xFF404850);
        Landscape(art, x0 + 4, 4, x0 + 12, 11);
    }
    return art.ToBitmap(kWhite);
}

// ---------------------------------------------------------------------------------------
// Sound.

void PutLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

// 4016: two soft bell tones a fifth apart, each with a quick attack and a gentle decay.
std::string Chime() {
    constexpr int kRate = 8000;
    constexpr double kSeconds = 0.42;
    constexpr int kFrames = static_cast<int>(kRate * kSeconds);
    struct Tone {
        double start;
        double freq;
        double gain;
    };
    constexpr Tone kTones[] = {{0.0, 880.0, 0.32}, {0.13, 1318.5, 0.28}};

    std::string data;
    data.reserve(kFrames * 2);
    for (int i = 0; i < kFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double s = 0;
        for (const Tone& tone : kTones) {
            const double u = t - tone.start;
            if (u < 0) {
                continue;
            }
            const double attack = std::min(1.0, u / 0.006);
            const double env = attack * std::exp(-u * 9.0);
            const double w = 2 * std::numbers::pi * tone.freq * u;
            s += tone.gain * env * (std::sin(w) + 0.18 * std::sin(2 * w));
        }
        // Fade the tail out so the sound ends on silence.
        const double tail = std::min(1.0, (kSeconds - t) / 0.04);
        s *= tail;
        const int v = static_cast<int>(std::lround(std::clamp(s, -1.0, 1.0) * 32000));
        PutLe(data, static_cast<uint16_t>(static_cast<int16_t>(v)), 2);
    }

    std::string wav;
    wav.reserve(44 + data.size());
    wav += "RIFF";
    PutLe(wav, static_cast<uint32_t>(36 + data.size()), 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);         // fmt chunk size
    PutLe(wav, 1, 2);          // PCM
    PutLe(wav, 1, 2);          // mono
    PutLe(wav, kRate, 4);      // frames per second
    PutLe(wav, kRate * 2, 4);  // bytes per second
    PutLe(wav, 2, 2);          // bytes per frame
    PutLe(wav, 16, 2);         // bits per sample
    wav += "data";
    PutLe(wav, static_cast<uint32_t>(data.size()), 4);
    wav += data;
    return wav;
}

}  // namespace

plat::Icon LoadIconResource(int id) {
    switch (id) {
        case 5001:
            return ProgramIcon();
        case 5002:
            return FolderArt().ToIcon();
        case 5003:
            return VoiceMark();
        case 5004:
            return FileTypeIcon("BMP", 0xFF2A64C8);
        case 5005:
            return FileTypeIcon("GIF", 0xFF2E9A3C);
        case 5006:
            return FileTypeIcon("JPG", 0xFFE07020);
        case 5007:
            return InfraredIcon();
        default:
            return plat::Icon{};
    }
}

std::unique_ptr<plat::Bitmap> LoadBitmapResource(int id) {
    switch (id) {
        case 4511:
            return CardBitmap();
        case 4512:
            return MemoryBitmap();
        case 4513:
            return DiskBitmap();
        case 6001:
            return TreeStrip();
        case 6002:
            return BrokenPictureBitmap();
        default:
            return nullptr;
    }
}

std::string LoadWaveResource(int id) {
    if (id == 4016) {
        return Chime();
    }
    return std::string();
}

}  // namespace res
