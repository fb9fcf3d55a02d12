// Drawing onto a Surface: the device context of the platform.
//
// A canvas has an origin (window coordinates map to surface coordinates by adding it) and a
// clip rectangle in surface coordinates; nothing is ever drawn outside the clip.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/surface.h"

namespace plat {

// Text drawing flags (the values of the platform the system was written for).
enum TextFlags : unsigned {
    kTextLeft = 0x0,
    kTextCenter = 0x1,
    kTextRight = 0x2,
    kTextVCenter = 0x4,
    kTextBottom = 0x8,
    kTextWordBreak = 0x10,
    kTextSingleLine = 0x20,
    kTextNoClip = 0x100,
    kTextCalcRect = 0x400,
    kTextNoPrefix = 0x800,
    kTextEndEllipsis = 0x8000,
};

enum class BackgroundMode { kTransparent, kOpaque };

class Canvas {
  public:
    // Whole surface, origin (0, 0).
    explicit Canvas(Surface* surface);
    // `origin` and `clip` in surface coordinates.
    Canvas(Surface* surface, Point origin, Rect clip);

    Surface* Target() const { return surface_; }
    Point Origin() const { return origin_; }
    // Clip in canvas (window) coordinates.
    Rect ClipRect() const { return clip_.Offset(-origin_.x, -origin_.y); }
    // Narrows the clip to `rect` (canvas coordinates) intersected with the current clip.
    void IntersectClip(const Rect& rect);

    // Fills [left, right) x [top, bottom).
    void FillRect(const Rect& rect, Color color);
    void SetPixel(int x, int y, Color color);
    Color GetPixel(int x, int y) const;
    // A 1-pixel line from (x0, y0) to (x1, y1), the last point excluded (as LineTo).
    void Line(int x0, int y0, int x1, int y1, Color color);
    // Joins the points with 1-pixel lines; the last point is not drawn.
    void Polyline(const std::vector<Point>& points, Color color);
    // 1-pixel outline along the inside edge of `rect`.
    void FrameRect(const Rect& rect, Color color);

    // Copies a `width` x `height` area whose top-left is (srcX, srcY) of a bottom-up DIB to
    // (x, y). Parts outside the DIB or the clip are skipped.
    void DrawDib(int x, int y, int width, int height, const DibView& dib, int srcX, int srcY);
    // Copies a rectangle from another surface (a memory canvas) at (srcX, srcY).
    void CopyFrom(int x, int y, int width, int height, const Surface& src, int srcX, int srcY);
    // An icon at its own size, transparent where its alpha is 0.
    void DrawIcon(int x, int y, const Icon& icon);

    // Text state.
    void SetFont(std::shared_ptr<Font> font) { font_ = std::move(font); }
    const std::shared_ptr<Font>& GetFont() const { return font_; }
    void SetTextColor(Color c) { textColor_ = c; }
    Color TextColor() const { return textColor_; }
    void SetBackColor(Color c) { backColor_ = c; }
    Color BackColor() const { return backColor_; }
    void SetBackgroundMode(BackgroundMode m) { backgroundMode_ = m; }
    BackgroundMode GetBackgroundMode() const { return backgroundMode_; }

    // Width and height of one line of text in the current font.
    int TextWidth(std::string_view text) const;
    int LineHeight() const;
    // Draws text at (x, y) = top-left of the line cell.
    void TextOut(int x, int y, std::string_view text);
    // Lays out and draws text inside `rect` with kText* flags; returns the height of the text.
    // A single line centred vertically in a rectangle lower than the line is placed with its
    // bottom on the rectangle's bottom, so the descent stays visible.
    // With kTextCalcRect nothing is drawn and `rect` is set to the bounds the text needs
    // (with kTextWordBreak the width is kept and lines are broken at blanks).
    int DrawText(std::string_view text, Rect* rect, unsigned flags);

  private:
    Surface* surface_;
    Point origin_;
    Rect clip_;  // surface coordinates
    std::shared_ptr<Font> font_;
    Color textColor_ = 0x000000;
    Color backColor_ = 0xFFFFFF;
    BackgroundMode backgroundMode_ = BackgroundMode::kOpaque;
};

// Writes a surface as a PNG file; false on failure.
bool WritePng(const Surface& surface, const std::string& hostPath);

}  // namespace plat
