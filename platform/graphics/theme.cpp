#include "platform/graphics/theme.h"

#include "platform/graphics/canvas.h"

namespace plat::theme {

std::shared_ptr<Font> UiFont() {
    static std::shared_ptr<Font> font = Font::Create(FontSpec{-11, 400, false, "Nina"});
    return font;
}

std::shared_ptr<Font> UiBoldFont() {
    static std::shared_ptr<Font> font = Font::Create(FontSpec{-11, 700, false, "Nina"});
    return font;
}

void FillGradient(Canvas& canvas, const Rect& rect, Color top, Color bottom) {
    const int h = rect.Height();
    for (int y = 0; y < h; ++y) {
        const int t = h > 1 ? y * 256 / (h - 1) : 0;
        const auto mix = [t](int a, int b) { return a + (b - a) * t / 256; };
        const Color c = Rgb(mix(RedOf(top), RedOf(bottom)), mix(GreenOf(top), GreenOf(bottom)),
                            mix(BlueOf(top), BlueOf(bottom)));
        canvas.FillRect(Rect{rect.left, rect.top + y, rect.right, rect.top + y + 1}, c);
    }
}

}  // namespace plat::theme
