// Drawing onto a surface. Every operation first maps its area to surface coordinates and
// clips it against the canvas clip (which never reaches outside the surface); what remains is
// drawn row by row, with memcpy where rows are plain copies.
#include "platform/graphics/canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/graphics/font_face.h"

namespace plat {
namespace {

constexpr char32_t kEllipsis = 0x2026;

Rect SurfaceBounds(const Surface* surface) {
    return surface ? Rect{0, 0, surface->Width(), surface->Height()} : Rect{};
}

// A rectangle given in canvas coordinates, moved to the surface and clipped. The arithmetic
// is done in 64 bits so that extreme coordinates cannot overflow.
Rect ToSurface(int64_t left, int64_t top, int64_t right, int64_t bottom, Point origin,
               const Rect& clip) {
    const int64_t l = std::max<int64_t>(left + origin.x, clip.left);
    const int64_t t = std::max<int64_t>(top + origin.y, clip.top);
    const int64_t r = std::min<int64_t>(right + origin.x, clip.right);
    const int64_t b = std::min<int64_t>(bottom + origin.y, clip.bottom);
    if (r <= l || b <= t) {
        return Rect{};
    }
    return Rect{static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(b)};
}

// A copy of a block from a source of sourceWidth x sourceHeight pixels, after clipping.
struct BlitArea {
    int dstX = 0;
    int dstY = 0;
    int srcX = 0;
    int srcY = 0;
    int width = 0;
    int height = 0;
};

// Clips a width x height copy from (srcX, srcY) of the source to (x, y) of the canvas against
// both the source's bounds and the clip. False when nothing is left.
bool ClipBlit(int x, int y, int width, int height, int srcX, int srcY, int sourceWidth,
              int sourceHeight, Point origin, const Rect& clip, BlitArea* area) {
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
        return false;
    }
    const int64_t dx = int64_t{x} + origin.x;
    const int64_t dy = int64_t{y} + origin.y;
    // Destination span of the source's (0, 0) corner.
    const int64_t sx0 = dx - srcX;
    const int64_t sy0 = dy - srcY;
    const int64_t left = std::max({dx, int64_t{clip.left}, sx0});
    const int64_t top = std::max({dy, int64_t{clip.top}, sy0});
    const int64_t right = std::min({dx + width, int64_t{clip.right}, sx0 + sourceWidth});
    const int64_t bottom = std::min({dy + height, int64_t{clip.bottom}, sy0 + sourceHeight});
    if (right <= left || bottom <= top) {
        return false;
    }
    area->dstX = static_cast<int>(left);
    area->dstY = static_cast<int>(top);
    area->srcX = static_cast<int>(left - sx0);
    area->srcY = static_cast<int>(top - sy0);
    area->width = static_cast<int>(right - left);
    area->height = static_cast<int>(bottom - top);
    return true;
}

inline uint8_t Blend(int src, int dst, int alpha) {
    return static_cast<uint8_t>((src * alpha + dst * (255 - alpha) + 127) / 255);
}

const std::shared_ptr<Font>& DefaultFont() {
    static const std::shared_ptr<Font> font = Font::Create(FontSpec{});
    return font;
}

// Reads one code point of UTF-8 at *pos and moves past it; a bad byte becomes U+FFFD.
char32_t NextCodePoint(std::string_view s, size_t* pos) {
    const auto lead = static_cast<unsigned char>(s[*pos]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++*pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++*pos;
        return 0xFFFD;
    }
    if (*pos + extra >= s.size()) {
        ++*pos;
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto c = static_cast<unsigned char>(s[*pos + i]);
        if ((c & 0xC0) != 0x80) {
            ++*pos;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    *pos += extra + 1;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0xFFFD;
    }
    return cp;
}

// Text after '&' prefixes are taken out: "&&" is a literal '&', "&x" marks x as the access
// key (underlined). Only the first marked character is underlined.
struct PreparedText {
    std::u32string chars;
    size_t underline = std::u32string::npos;
};

PreparedText PrepareText(std::string_view utf8, bool prefixes) {
    PreparedText out;
    size_t pos = 0;
    bool pendingPrefix = false;
    while (pos < utf8.size()) {
        const char32_t cp = NextCodePoint(utf8, &pos);
        if (prefixes && cp == U'&' && !pendingPrefix) {
            pendingPrefix = true;
            continue;
        }
        if (pendingPrefix && cp != U'&' && out.underline == std::u32string::npos) {
            out.underline = out.chars.size();
        }
        pendingPrefix = false;
        out.chars.push_back(cp);
    }
    return out;
}

bool IsBlank(char32_t cp) {
    return cp == U' ' || cp == U'\t' || cp == 0x3000;
}

struct TextLine {
    size_t begin = 0;
    size_t end = 0;
    bool ellipsis = false;
    int width = 0;
};

class LineMeasure {
  public:
    explicit LineMeasure(FontFace* face) : face_(face) {}
    int Advance(char32_t cp) const { return GlyphAdvance(face_, cp); }
    int Width(const std::u32string& chars, size_t begin, size_t end) const {
        int width = 0;
        for (size_t i = begin; i < end; ++i) {
            width += Advance(chars[i]);
        }
        return width;
    }
    int EllipsisWidth() const { return Advance(kEllipsis); }

  private:
    FontFace* face_;
};

size_t TrimBlanksRight(const std::u32string& chars, size_t begin, size_t end) {
    while (end > begin && IsBlank(chars[end - 1])) {
        --end;
    }
    return end;
}

// Breaks [begin, end) into lines no wider than maxWidth: at blanks where possible, inside a
// word when one word alone is too wide. Blanks at a break are dropped.
void BreakParagraph(const std::u32string& chars, size_t begin, size_t end, int maxWidth,
                    const LineMeasure& measure, std::vector<TextLine>* lines) {
    size_t start = begin;
    do {
        int width = 0;
        size_t lastBlank = std::u32string::npos;
        size_t i = start;
        for (; i < end; ++i) {
            if (IsBlank(chars[i])) {
                lastBlank = i;
            }
            const int advance = measure.Advance(chars[i]);
            if (width + advance > maxWidth && !IsBlank(chars[i]) && i > start) {
                break;
            }
            width += advance;
        }
        if (i >= end) {
            lines->push_back(TextLine{start, end});
            return;
        }
        size_t lineEnd = i;
        size_t next = i;
        if (lastBlank != std::u32string::npos && lastBlank > start) {
            lineEnd = lastBlank;
            next = lastBlank;
        }
        lines->push_back(TextLine{start, TrimBlanksRight(chars, start, lineEnd)});
        while (next < end && IsBlank(chars[next])) {
            ++next;
        }
        start = next;
    } while (start < end);
}

std::vector<TextLine> LayOut(const std::u32string& chars, unsigned flags, int maxWidth,
                             const LineMeasure& measure) {
    std::vector<TextLine> lines;
    if (flags & kTextSingleLine) {
        lines.push_back(TextLine{0, chars.size()});
    } else {
        size_t start = 0;
        for (size_t i = 0; i <= chars.size(); ++i) {
            if (i < chars.size() && chars[i] != U'\n') {
                continue;
            }
            size_t end = i;
            if (end > start && chars[end - 1] == U'\r') {
                --end;
            }
            if ((flags & kTextWordBreak) && end > start) {
                BreakParagraph(chars, start, end, std::max(0, maxWidth), measure, &lines);
            } else {
                lines.push_back(TextLine{start, end});
            }
            start = i + 1;
        }
    }
    for (TextLine& line : lines) {
        line.width = measure.Width(chars, line.begin, line.end);
    }
    return lines;
}

// Shortens a line until it and an ellipsis fit into maxWidth.
void AddEllipsis(const std::u32string& chars, int maxWidth, const LineMeasure& measure,
                 TextLine* line) {
    const int room = maxWidth - measure.EllipsisWidth();
    while (line->end > line->begin && measure.Width(chars, line->begin, line->end) > room) {
        --line->end;
    }
    line->end = TrimBlanksRight(chars, line->begin, line->end);
    line->ellipsis = true;
    line->width = measure.Width(chars, line->begin, line->end) + measure.EllipsisWidth();
}

}  // namespace

Canvas::Canvas(Surface* surface)
    : surface_(surface), origin_{0, 0}, clip_(SurfaceBounds(surface)) {}

Canvas::Canvas(Surface* surface, Point origin, Rect clip)
    : surface_(surface), origin_(origin), clip_(clip.Intersect(SurfaceBounds(surface))) {}

void Canvas::IntersectClip(const Rect& rect) {
    clip_ = ToSurface(rect.left, rect.top, rect.right, rect.bottom, origin_, clip_);
}

void Canvas::FillRect(const Rect& rect, Color color) {
    const Rect area = ToSurface(rect.left, rect.top, rect.right, rect.bottom, origin_, clip_);
    if (area.IsEmpty()) {
        return;
    }
    uint8_t* first = surface_->Row(area.top) + area.left * 3;
    for (int x = 0; x < area.Width(); ++x) {
        first[x * 3] = static_cast<uint8_t>(BlueOf(color));
        first[x * 3 + 1] = static_cast<uint8_t>(GreenOf(color));
        first[x * 3 + 2] = static_cast<uint8_t>(RedOf(color));
    }
    const size_t bytes = static_cast<size_t>(area.Width()) * 3;
    for (int y = area.top + 1; y < area.bottom; ++y) {
        std::memcpy(surface_->Row(y) + area.left * 3, first, bytes);
    }
}

void Canvas::SetPixel(int x, int y, Color color) {
    const int64_t sx = int64_t{x} + origin_.x;
    const int64_t sy = int64_t{y} + origin_.y;
    if (sx < clip_.left || sx >= clip_.right || sy < clip_.top || sy >= clip_.bottom) {
        return;
    }
    surface_->SetPixel(static_cast<int>(sx), static_cast<int>(sy), color);
}

Color Canvas::GetPixel(int x, int y) const {
    // Reading is not limited by the clip; outside the surface it reads black.
    const int64_t sx = int64_t{x} + origin_.x;
    const int64_t sy = int64_t{y} + origin_.y;
    if (!surface_ || sx < 0 || sy < 0 || sx >= surface_->Width() || sy >= surface_->Height()) {
        return 0;
    }
    return surface_->Pixel(static_cast<int>(sx), static_cast<int>(sy));
}

void Canvas::Line(int x0, int y0, int x1, int y1, Color color) {
    if (y0 == y1) {
        // Horizontal and vertical lines are rectangles one pixel wide; this also keeps
        // lines of absurd length from being walked pixel by pixel.
        if (x0 <= x1) {
            FillRect(Rect{x0, y0, x1, y0 + 1}, color);
        } else {
            FillRect(Rect{x1 + 1, y0, x0 + 1, y0 + 1}, color);
        }
        return;
    }
    if (x0 == x1) {
        if (y0 <= y1) {
            FillRect(Rect{x0, y0, x0 + 1, y1}, color);
        } else {
            FillRect(Rect{x0, y1 + 1, x0 + 1, y0 + 1}, color);
        }
        return;
    }
    const int64_t dx = std::llabs(int64_t{x1} - x0);
    const int64_t dy = -std::llabs(int64_t{y1} - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy;
    int64_t x = x0;
    int64_t y = y0;
    while (x != x1 || y != y1) {
        SetPixel(static_cast<int>(x), static_cast<int>(y), color);
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void Canvas::Polyline(const std::vector<Point>& points, Color color) {
    for (size_t i = 1; i < points.size(); ++i) {
        Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, color);
    }
}

void Canvas::FrameRect(const Rect& rect, Color color) {
    if (rect.IsEmpty()) {
        return;
    }
    FillRect(Rect{rect.left, rect.top, rect.right, rect.top + 1}, color);
    FillRect(Rect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    FillRect(Rect{rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1}, color);
    FillRect(Rect{rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1}, color);
}

void Canvas::DrawDib(int x, int y, int width, int height, const DibView& dib, int srcX, int srcY) {
    // A stride shorter than a row would make rows overlap: not a DIB we can read safely.
    if (dib.Empty() || dib.stride < dib.width * 3) {
        return;
    }
    BlitArea a;
    if (!ClipBlit(x, y, width, height, srcX, srcY, dib.width, dib.height, origin_, clip_, &a)) {
        return;
    }
    const size_t bytes = static_cast<size_t>(a.width) * 3;
    for (int row = 0; row < a.height; ++row) {
        std::memcpy(surface_->Row(a.dstY + row) + a.dstX * 3, dib.Row(a.srcY + row) + a.srcX * 3,
                    bytes);
    }
}

void Canvas::CopyFrom(int x, int y, int width, int height, const Surface& src, int srcX, int srcY) {
    BlitArea a;
    if (!ClipBlit(x, y, width, height, srcX, srcY, src.Width(), src.Height(), origin_, clip_, &a)) {
        return;
    }
    const size_t bytes = static_cast<size_t>(a.width) * 3;
    // A copy within one surface may overlap: go against the direction of the move.
    const bool upward = &src == surface_ && a.dstY > a.srcY;
    for (int i = 0; i < a.height; ++i) {
        const int row = upward ? a.height - 1 - i : i;
        std::memmove(surface_->Row(a.dstY + row) + a.dstX * 3, src.Row(a.srcY + row) + a.srcX * 3,
                     bytes);
    }
}

void Canvas::DrawIcon(int x, int y, const Icon& icon) {
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.pixels.size() < static_cast<size_t>(icon.width) * icon.height) {
        return;
    }
    BlitArea a;
    if (!ClipBlit(x, y, icon.width, icon.height, 0, 0, icon.width, icon.height, origin_, clip_,
                  &a)) {
        return;
    }
    for (int row = 0; row < a.height; ++row) {
        const uint32_t* src = icon.pixels.data() + static_cast<size_t>(a.srcY + row) * icon.width;
        uint8_t* dst = surface_->Row(a.dstY + row) + a.dstX * 3;
        for (int col = 0; col < a.width; ++col, dst += 3) {
            const uint32_t argb = src[a.srcX + col];
            const int alpha = static_cast<int>(argb >> 24);
            if (alpha == 0) {
                continue;
            }
            dst[0] = Blend(argb & 0xFF, dst[0], alpha);
            dst[1] = Blend((argb >> 8) & 0xFF, dst[1], alpha);
            dst[2] = Blend((argb >> 16) & 0xFF, dst[2], alpha);
        }
    }
}

// ---- Text ----------------------------------------------------------------------------------

namespace {

// Blends one glyph's coverage in `color` with its pen at (penX, baseline), surface
// coordinates, inside `clip`.
void BlendGlyph(Surface* surface, const Rect& clip, int64_t penX, int64_t baseline,
                const GlyphImage& glyph, Color color) {
    if (glyph.width <= 0 || glyph.rows <= 0) {
        return;
    }
    const int64_t gx = penX + glyph.left;
    const int64_t gy = baseline - glyph.top;
    const int64_t left = std::max<int64_t>(gx, clip.left);
    const int64_t right = std::min<int64_t>(gx + glyph.width, clip.right);
    const int64_t top = std::max<int64_t>(gy, clip.top);
    const int64_t bottom = std::min<int64_t>(gy + glyph.rows, clip.bottom);
    if (right <= left || bottom <= top) {
        return;
    }
    const int r = RedOf(color);
    const int g = GreenOf(color);
    const int b = BlueOf(color);
    for (int64_t y = top; y < bottom; ++y) {
        const uint8_t* cover = glyph.coverage.data() + (y - gy) * glyph.width + (left - gx);
        uint8_t* dst = surface->Row(static_cast<int>(y)) + left * 3;
        for (int64_t x = left; x < right; ++x, ++cover, dst += 3) {
            const int alpha = *cover;
            if (alpha == 0) {
                continue;
            }
            dst[0] = Blend(b, dst[0], alpha);
            dst[1] = Blend(g, dst[1], alpha);
            dst[2] = Blend(r, dst[2], alpha);
        }
    }
}

struct TextPen {
    Surface* surface;
    Rect clip;  // surface coordinates
    FontFace* face;
    Color color;
    int ascent;
};

// Draws chars[begin, end) (and an ellipsis if asked) from the top-left of the line cell at
// (x, y), surface coordinates; the character at `underline` gets a line below the baseline.
void DrawRun(const TextPen& pen, const std::u32string& chars, size_t begin, size_t end,
             bool ellipsis, size_t underline, int64_t x, int64_t y) {
    const int64_t baseline = y + pen.ascent;
    for (size_t i = begin; i < end; ++i) {
        char32_t cp = chars[i];
        const int advance = GlyphAdvance(pen.face, cp);
        if (advance == 0 && cp < 0x20) {
            continue;
        }
        if (cp == U'\t') {
            cp = U' ';
        }
        BlendGlyph(pen.surface, pen.clip, x, baseline, pen.face->Glyph(cp), pen.color);
        if (i == underline) {
            const Rect bar = Rect{static_cast<int>(std::max<int64_t>(x, pen.clip.left)),
                                  static_cast<int>(baseline + 1),
                                  static_cast<int>(std::min<int64_t>(x + advance, pen.clip.right)),
                                  static_cast<int>(baseline + 2)}
                                 .Intersect(pen.clip);
            for (int bx = bar.left; bx < bar.right; ++bx) {
                pen.surface->SetPixel(bx, bar.top, pen.color);
            }
        }
        x += advance;
    }
    if (ellipsis) {
        BlendGlyph(pen.surface, pen.clip, x, baseline, pen.face->Glyph(kEllipsis), pen.color);
    }
}

}  // namespace

int Canvas::TextWidth(std::string_view text) const {
    const std::shared_ptr<Font>& font = font_ ? font_ : DefaultFont();
    return font->TextWidth(text);
}

int Canvas::LineHeight() const {
    const std::shared_ptr<Font>& font = font_ ? font_ : DefaultFont();
    return font->Metrics().height;
}

void Canvas::TextOut(int x, int y, std::string_view text) {
    if (!surface_) {
        return;
    }
    const std::shared_ptr<Font>& font = font_ ? font_ : DefaultFont();
    const PreparedText prepared = PrepareText(text, false);
    const LineMeasure measure(font->Face());
    const int width = measure.Width(prepared.chars, 0, prepared.chars.size());
    if (backgroundMode_ == BackgroundMode::kOpaque) {
        FillRect(Rect{x, y, x + width, y + font->Metrics().height}, backColor_);
    }
    const TextPen pen{surface_, clip_, font->Face(), textColor_, font->Metrics().ascent};
    DrawRun(pen, prepared.chars, 0, prepared.chars.size(), false, std::u32string::npos,
            int64_t{x} + origin_.x, int64_t{y} + origin_.y);
}

int Canvas::DrawText(std::string_view text, Rect* rect, unsigned flags) {
    if (rect == nullptr) {
        return 0;
    }
    const std::shared_ptr<Font>& font = font_ ? font_ : DefaultFont();
    const int lineHeight = font->Metrics().height;
    const PreparedText prepared = PrepareText(text, !(flags & kTextNoPrefix));
    const LineMeasure measure(font->Face());
    std::vector<TextLine> lines = LayOut(prepared.chars, flags, rect->Width(), measure);

    if (flags & kTextCalcRect) {
        int widest = 0;
        for (const TextLine& line : lines) {
            widest = std::max(widest, line.width);
        }
        if (!(flags & kTextWordBreak) || (flags & kTextSingleLine)) {
            rect->right = rect->left + widest;
        }
        rect->bottom = rect->top + static_cast<int>(lines.size()) * lineHeight;
        return static_cast<int>(lines.size()) * lineHeight;
    }
    if (!surface_) {
        return static_cast<int>(lines.size()) * lineHeight;
    }

    if (flags & kTextEndEllipsis) {
        // Lines below the rectangle are dropped and the last one shown ends in an ellipsis;
        // a line wider than the rectangle is cut short the same way.
        const size_t fit = static_cast<size_t>(std::max(1, rect->Height() / lineHeight));
        if (lines.size() > fit) {
            lines.resize(fit);
            AddEllipsis(prepared.chars, rect->Width(), measure, &lines.back());
        }
        for (TextLine& line : lines) {
            if (!line.ellipsis && line.width > rect->Width()) {
                AddEllipsis(prepared.chars, rect->Width(), measure, &line);
            }
        }
    }

    const int total = static_cast<int>(lines.size()) * lineHeight;
    int64_t y = rect->top;
    const bool single = flags & kTextSingleLine;
    if (single && (flags & kTextVCenter)) {
        y = rect->top + (int64_t{rect->Height()} - lineHeight) / 2;
        if (y + lineHeight > rect->bottom) {
            // A line taller than its rectangle keeps its descent (underscores, the tails of
            // g, j, p, q, y) inside it; the internal leading above the letters gives way.
            y = int64_t{rect->bottom} - lineHeight;
        }
    } else if (single && (flags & kTextBottom)) {
        y = int64_t{rect->bottom} - lineHeight;
    }

    Rect textClip = clip_;
    if (!(flags & kTextNoClip)) {
        textClip = ToSurface(rect->left, rect->top, rect->right, rect->bottom, origin_, clip_);
    }
    const bool opaque = backgroundMode_ == BackgroundMode::kOpaque;
    if (opaque && single && (flags & kTextVCenter)) {
        FillRect(*rect, backColor_);
    }
    const TextPen pen{surface_, textClip, font->Face(), textColor_, font->Metrics().ascent};
    for (const TextLine& line : lines) {
        int64_t x = rect->left;
        if (flags & kTextCenter) {
            x = rect->left + (int64_t{rect->Width()} - line.width) / 2;
        } else if (flags & kTextRight) {
            x = int64_t{rect->right} - line.width;
        }
        if (opaque && !(single && (flags & kTextVCenter))) {
            const Rect strip =
                ToSurface(rect->left, y, rect->right, y + lineHeight, origin_, textClip);
            const Rect local = strip.Offset(-origin_.x, -origin_.y);
            FillRect(local, backColor_);
        }
        DrawRun(pen, prepared.chars, line.begin, line.end, line.ellipsis, prepared.underline,
                x + origin_.x, y + origin_.y);
        y += lineHeight;
    }
    return total;
}

}  // namespace plat
