// The look shared by the shell's strips, menus, message boxes and dialogs.
#pragma once

#include <memory>

#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

namespace plat {
class Canvas;
}

namespace plat::theme {

constexpr Color kStripTop = Rgb(40, 52, 74);
constexpr Color kStripBottom = Rgb(18, 24, 36);
constexpr Color kStripText = Rgb(255, 255, 255);
constexpr Color kStripGreyText = Rgb(120, 128, 140);
constexpr Color kHighlight = Rgb(0, 84, 166);
constexpr Color kHighlightText = Rgb(255, 255, 255);
constexpr Color kWindow = Rgb(255, 255, 255);
constexpr Color kText = Rgb(0, 0, 0);
constexpr Color kGreyText = Rgb(150, 150, 150);
constexpr Color kBorder = Rgb(64, 64, 64);
constexpr Color kSeparator = Rgb(200, 200, 200);

// Text of menus, dialogs and message boxes (about 13 pixels), and its bold form.
std::shared_ptr<Font> UiFont();
std::shared_ptr<Font> UiBoldFont();
// Vertical gradient between two colours over `rect`.
void FillGradient(Canvas& canvas, const Rect& rect, Color top, Color bottom);

}  // namespace plat::theme
